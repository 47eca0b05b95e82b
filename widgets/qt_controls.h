// The toolkit's controls on Qt widgets. Each adapter keeps what the panel sets and reads
// (captions exactly as set) and drives its widget.
#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTimer>

#include "panel/toolkit.h"

namespace pv7100::ui {

class QtTimer : public Timer {
 public:
  explicit QtTimer(int interval);
  void setInterval(int ms) override;
  int interval() const override { return timer_.interval(); }
  void setEnabled(bool enabled) override;
  bool enabled() const override { return timer_.isActive(); }
  void onTick(Handler handler) override { tick_ = std::move(handler); }

 private:
  QTimer timer_;
  Handler tick_;
  bool inTick_ = false;
};

// A label shows at most the start of a long caption: the rest lies beyond its right edge
// anyway, and a label handed 65 000 characters many times a second would stall the panel.
// A device that talks without pause changes the monitor lines hundreds of times a second;
// the label then shows the newest caption once a repaint period (16 ms), which the eye cannot tell
// from every change. The caption itself is always the text last set.
class QtLabel : public Label {
 public:
  static constexpr std::size_t kShown = 256;
  static constexpr int kRepaintMs = 16;
  QtLabel(QLabel* widget, std::string caption);
  void setCaption(std::string caption) override;
  const std::string& caption() const override { return caption_; }

 private:
  void show();
  QLabel* widget_;
  std::string caption_;
  int height_;  // as laid out
  QTimer nextRepaint_;
  QElapsedTimer sinceShown_;
};

// A push button that reports any mouse button going down on it and its release.
class PanelButton : public QPushButton {
 public:
  using QPushButton::QPushButton;
  Handler pressed;
  Handler released;
  void setCaption(const QString& caption);

 protected:
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QStringList lines_;  // the caption as drawn; empty until the next paint finds it
};

class QtButton : public Button {
 public:
  explicit QtButton(PanelButton* widget);
  void setCaption(std::string caption) override;
  const std::string& caption() const override { return caption_; }
  void setVisible(bool visible) override { widget_->setVisible(visible); }
  bool visible() const override { return !widget_->isHidden(); }
  void onClick(Handler handler) override { click_ = std::move(handler); }
  void onPress(Handler handler) override { widget_->pressed = std::move(handler); }
  void onRelease(Handler handler) override { widget_->released = std::move(handler); }

 private:
  PanelButton* widget_;
  std::string caption_;
  Handler click_;
};

class QtOption : public OptionButton {
 public:
  explicit QtOption(QRadioButton* widget);
  void select() override;
  bool selected() const override { return widget_->isChecked(); }
  void onClick(Handler handler) override { click_ = std::move(handler); }

 private:
  QRadioButton* widget_;
  Handler click_;
};

class QtFrame : public Frame {
 public:
  explicit QtFrame(QWidget* widget) : widget_(widget) {}
  void setVisible(bool visible) override { widget_->setVisible(visible); }
  bool visible() const override { return !widget_->isHidden(); }

 private:
  QWidget* widget_;
};

class QtTextBox : public TextBox {
 public:
  explicit QtTextBox(QLineEdit* widget) : widget_(widget) {}
  std::string text() const override { return widget_->text().toStdString(); }
  void setText(std::string text) override { widget_->setText(QString::fromStdString(text)); }

 private:
  QLineEdit* widget_;
};

// The picture at the top right corner, which answers a double-click.
class PictureWidget : public QLabel {
 public:
  using QLabel::QLabel;
  Handler doubleClicked;

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class QtPicture : public Picture {
 public:
  explicit QtPicture(PictureWidget* widget) : widget_(widget) {}
  void onDoubleClick(Handler handler) override { widget_->doubleClicked = std::move(handler); }

 private:
  PictureWidget* widget_;
};

}  // namespace pv7100::ui
