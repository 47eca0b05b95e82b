// The panel's window on Qt: fixed width, outer heights mapped to client heights less the
// design's decoration, the outline of the navigation cross, and the window events
// the panel needs (keys ahead of the focused control, loss of the mouse).
#pragma once

#include <QWidget>

#include "panel/toolkit.h"

namespace pv7100::ui {

// The top-level widget: paints the cross outline and reports what happens to the window.
class PanelWidget : public QWidget {
 public:
  PanelWidget();
  ~PanelWidget() override;

  std::function<void(std::int16_t keyCode, std::int16_t shift)> keyDown;
  Handler deactivated;
  Handler decorated;  // the window system's decoration may have changed

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void showEvent(QShowEvent* event) override;
};

// The border and title bar that the outer heights the panel sets were designed for, in twips.
inline constexpr double kDesignDecorationHeight = 435;

// The client area's height in pixels for an outer height in twips: the outer height less the
// design's decoration. The window is as much taller as the decoration the window system draws.
int clientHeightPixels(double outerTwips);

class QtWindow : public Window {
 public:
  QtWindow();

  PanelWidget& widget() { return widget_; }

  double screenWidth() const override;
  double screenHeight() const override;
  double left() const override { return left_; }
  double top() const override { return top_; }
  double width() const override;
  double height() const override { return height_; }
  void setLeft(double twips) override;
  void setTop(double twips) override;
  void setHeight(double twips) override;
  void onKeyDown(std::function<void(std::int16_t, std::int16_t)> handler) override {
    widget_.keyDown = std::move(handler);
  }
  void onDeactivate(Handler handler) override { widget_.deactivated = std::move(handler); }
  void messageBox(const std::string& text) override;
  void unload() override;

  // Runs before the window unloads: the toolkit stops its timers there.
  Handler beforeUnload;

  // The width of the decoration the window system draws, in twips; 0 until it has drawn one.
  double decorationWidth() const;

 private:
  void applyGeometry();
  void keepCentre();

  PanelWidget widget_;
  double left_ = 0;
  double placedWidth_ = 0;
  double top_ = 0;
  double height_;
};

}  // namespace pv7100::ui
