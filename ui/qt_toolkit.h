// The toolkit on Qt Widgets: the window and every control of the layout table, built once.
#pragma once

#include <QWidget>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "ui/layout.h"
#include "ui/panel_window.h"
#include "ui/qt_controls.h"
#include "ui/toolkit.h"

namespace pv7100::ui {

class QtToolkit : public Toolkit {
 public:
  QtToolkit();

  QtWindow& window() override { return window_; }
  Label& label(std::string_view name) override { return *find(labels_, name); }
  Button& button(std::string_view name) override { return *find(buttons_, name); }
  OptionButton& option(std::string_view name) override { return *find(options_, name); }
  Frame& frame(std::string_view name) override { return *find(frames_, name); }
  TextBox& textBox(std::string_view name) override { return *find(textBoxes_, name); }
  Picture& picture(std::string_view name) override { return *find(pictures_, name); }
  Timer& timer(std::string_view name) override { return *find(timers_, name); }

  // The widget of a control, for the layout's own tests.
  QWidget& widget(std::string_view name) { return *find(widgets_, name); }

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
