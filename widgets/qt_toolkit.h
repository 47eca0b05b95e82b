// The toolkit on Qt Widgets: the window and every control of the layout table, built once.
#pragma once

#include <QWidget>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "panel/toolkit.h"
#include "widgets/layout.h"
#include "widgets/panel_window.h"
#include "widgets/qt_controls.h"

namespace pv7100::ui {

class QtToolkit : public Toolkit {
 public:
  QtToolkit();

  QtWindow& window() override { return window_; }
  QtLabel& line(LineRole role) override { return label(controlName(role)); }
  QtTimer& timer(TimerRole role) override { return timer(controlName(role)); }
  QtButton& button(ButtonRole role) override { return button(controlName(role)); }
  QtButton& commandButton(std::string_view command) override {
    return button(commandControl(command));
  }
  QtOption& option(OptionRole role) override { return option(controlName(role)); }
  Frame& portFrame() override { return *find(frames_, kPortFrame); }
  TextBox& commandBox() override { return *find(textBoxes_, kCommandBox); }
  Picture& picture() override { return *find(pictures_, kPicture); }

  // Controls by name, for tests and benchmarks.
  QWidget& widget(std::string_view name) { return *find(widgets_, name); }
  QtLabel& label(std::string_view name) { return *find(labels_, name); }
  QtButton& button(std::string_view name) { return *find(buttons_, name); }
  QtTimer& timer(std::string_view name) { return *find(timers_, name); }
  QtOption& option(std::string_view name) { return *find(options_, name); }

  // Shows the window with the focus on its first control.
  void show();

 private:
  template <typename T>
  using Controls = std::map<std::string, T, std::less<>>;
  template <typename T>
  static T& find(Controls<T>& controls, std::string_view name) {
    const auto it = controls.find(name);
    if (it == controls.end()) throw std::out_of_range("no control named " + std::string(name));
    return it->second;
  }
  void build(const ControlRow& row);
  void setTabOrder();

  QtWindow window_;
  Controls<QWidget*> widgets_;
  Controls<std::unique_ptr<QtLabel>> labels_;
  Controls<std::unique_ptr<QtButton>> buttons_;
  Controls<std::unique_ptr<QtOption>> options_;
  Controls<std::unique_ptr<QtFrame>> frames_;
  Controls<std::unique_ptr<QtTextBox>> textBoxes_;
  Controls<std::unique_ptr<QtPicture>> pictures_;
  Controls<std::unique_ptr<QtTimer>> timers_;
};

}  // namespace pv7100::ui
