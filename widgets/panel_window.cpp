#include "widgets/panel_window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>

#include "widgets/layout.h"
#include "widgets/qt_style.h"

namespace pv7100::ui {
namespace {

// The key code of a key-down: letters and digits as their characters; other keys do not
// concern the panel and come as 0.
std::int16_t keyCode(int qtKey) {
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
    return static_cast<std::int16_t>(qtKey);
  }
  return 0;
}

std::int16_t shiftMask(Qt::KeyboardModifiers modifiers) {
  std::int16_t mask = 0;
  if (modifiers & Qt::ShiftModifier) mask |= kShiftMask;
  if (modifiers & Qt::ControlModifier) mask |= kCtrlMask;
  if (modifiers & Qt::AltModifier) mask |= kAltMask;
  return mask;
}

}  // namespace

PanelWidget::PanelWidget() {
  setWindowTitle(QString::fromUtf8(kWindowCaption.data(), kWindowCaption.size()));
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, qtColour(kWindowBack));
  palette.setColor(QPalette::WindowText, Qt::black);
  setPalette(palette);
  setFont(qtFont(kWindowFont));
  qApp->installEventFilter(this);
}

PanelWidget::~PanelWidget() {
  qApp->removeEventFilter(this);
}

// Every key goes first to the window: the filter sees the key at its first receiver, the
// focused control (or the window when none has the focus), before that control handles it.
// Not a QShortcut: the panel's key-down sees every key with its modifiers, and a shortcut
// would be one key combination that a focused text box may claim for its own editing.
bool PanelWidget::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && keyDown) {
    QWidget* first = QApplication::focusWidget();
    if (first == nullptr) first = this;
    if (watched == first && first->window() == this) {
      const auto* key = static_cast<QKeyEvent*>(event);
      keyDown(keyCode(key->key()), shiftMask(key->modifiers()));
    }
  }
  return QWidget::eventFilter(watched, event);
}

void PanelWidget::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  QPainter painter(this);
  painter.setPen(QPen(qtColour(kLineColour), kLinePixels));
  for (const LineRow& line : layoutLines()) {
    painter.drawLine(px(line.x1), px(line.y1), px(line.x2), px(line.y2));
  }
}

// A mouse button held on a control is not released there once the window loses the mouse.
void PanelWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  const bool lost = (event->type() == QEvent::ActivationChange && !isActiveWindow()) ||
                    (event->type() == QEvent::WindowStateChange && isMinimized());
  if (lost && deactivated) deactivated();
}

void PanelWidget::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (deactivated) deactivated();
}

void PanelWidget::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (decorated) decorated();
}

void PanelWidget::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (decorated) decorated();
}

int clientHeightPixels(double outerTwips) {
  return std::max(1, px(outerTwips - kDesignDecorationHeight));
}

QtWindow::QtWindow() : height_(kClientHeight + kDesignDecorationHeight) {
  widget_.decorated = [this] { keepCentre(); };
  applyGeometry();
}

double QtWindow::screenWidth() const {
  return widget_.screen()->geometry().width() * 15.0;
}

double QtWindow::screenHeight() const {
  return widget_.screen()->geometry().height() * 15.0;
}

double QtWindow::decorationWidth() const {
  return (widget_.frameGeometry().width() - widget_.geometry().width()) * 15.0;
}

double QtWindow::width() const {
  return kClientWidth + decorationWidth();
}

void QtWindow::setLeft(double twips) {
  left_ = twips;
  placedWidth_ = width();
  widget_.move(px(left_), px(top_));
}

// The left was placed for the width known then, before the window system decorated the window:
// once the decoration is drawn the window keeps the centre it was given.
void QtWindow::keepCentre() {
  const double now = width();
  if (now == placedWidth_) return;
  left_ += (placedWidth_ - now) / 2;
  placedWidth_ = now;
  widget_.move(px(left_), px(top_));
}

void QtWindow::setTop(double twips) {
  top_ = twips;
  widget_.move(px(left_), px(top_));
}

void QtWindow::setHeight(double twips) {
  height_ = twips;
  applyGeometry();
}

// The width never changes. The client area is the outer height less the design's decoration, so
// each view shows its band whatever decoration the window system draws around it.
void QtWindow::applyGeometry() {
  const int client = clientHeightPixels(height_);
  if (widget_.minimumHeight() != client || widget_.width() != px(kClientWidth)) {
    widget_.setFixedSize(px(kClientWidth), client);
  }
}

void QtWindow::messageBox(const std::string& text) {
  QMessageBox box(QMessageBox::Warning, widget_.windowTitle(), QString::fromStdString(text),
                  QMessageBox::Ok, &widget_);
  box.exec();
}

void QtWindow::unload() {
  if (beforeUnload) beforeUnload();
  widget_.hide();
  QCoreApplication::quit();
}

}  // namespace pv7100::ui
