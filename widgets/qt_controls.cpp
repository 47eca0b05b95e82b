#include "widgets/qt_controls.h"

#include <algorithm>

#include <QFontInfo>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QStringList>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace pv7100::ui {

QtTimer::QtTimer(int interval) {
  // Coarse timers move 105-250 ms periods by up to 5 %.
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(interval);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    inTick_ = true;
    if (tick_) tick_();
    inTick_ = false;
  });
}

void QtTimer::setInterval(int ms) {
  timer_.setInterval(ms);
}

void QtTimer::setEnabled(bool enabled) {
  if (!enabled) {
    timer_.stop();
  } else if (!(inTick_ && timer_.isActive())) {
    // Inside its own tick the count has just started anew; restarting it here would add the
    // tick's own run time to every period.
    timer_.start();
  }
}

QtLabel::QtLabel(QLabel* widget, std::string caption)
    : widget_(widget), caption_(std::move(caption)), height_(widget->height()) {
  nextRepaint_.setSingleShot(true);
  QObject::connect(&nextRepaint_, &QTimer::timeout, [this] { show(); });
}

void QtLabel::setCaption(std::string caption) {
  caption_ = std::move(caption);
  if (nextRepaint_.isActive()) return;  // the coming repaint shows it
  const qint64 since = sinceShown_.isValid() ? sinceShown_.elapsed() : kRepaintMs;
  if (since < kRepaintMs) {
    nextRepaint_.start(static_cast<int>(kRepaintMs - since));
  } else {
    show();
  }
}

void QtLabel::show() {
  const std::string_view text = std::string_view(caption_).substr(0, kShown);
  const QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  if (widget_->text() != shown) widget_->setText(shown);
  // A wrapping label shows its whole text, on top of what it then covers.
  if (widget_->wordWrap()) {
    widget_->resize(widget_->width(), std::max(height_, widget_->heightForWidth(widget_->width())));
    widget_->raise();
  }
  sinceShown_.start();
}

namespace {

// The lines of a caption in `room` pixels: broken at its spaces, and between the characters
// of a word that does not fit on a line of its own (Japanese has no spaces).
QStringList wrapped(const QString& caption, const QFont& font, int room) {
  const QFontMetrics metrics(font);
  if (metrics.horizontalAdvance(caption) <= room) return {caption};
  QStringList lines{QString()};
  const auto fits = [&](const QString& line) { return metrics.horizontalAdvance(line) <= room; };
  for (const QString& word : caption.split(u' ')) {
    const QString joined = lines.back().isEmpty() ? word : lines.back() + u' ' + word;
    if (fits(joined)) {
      lines.back() = joined;
      continue;
    }
    if (!lines.back().isEmpty()) lines.append(QString());
    for (const QChar c : word) {
      if (!lines.back().isEmpty() && !fits(lines.back() + c)) lines.append(QString());
      lines.back() += c;
    }
  }
  return lines;
}

}  // namespace

void PanelButton::setCaption(const QString& caption) {
  setText(caption);
  lines_.clear();
}

void PanelButton::changeEvent(QEvent* event) {
  QPushButton::changeEvent(event);
  if (event->type() == QEvent::FontChange) lines_.clear();
}

void PanelButton::resizeEvent(QResizeEvent* event) {
  QPushButton::resizeEvent(event);
  lines_.clear();
}

// A caption wider than its button breaks onto further lines, as tall buttons such as
// "DISPLAY CLEAR" are drawn, set a line per em: the font's own line spacing would not fit two
// lines into a 25-pixel button. The lines are found when the button is first drawn, so a
// button out of sight costs nothing.
void PanelButton::paintEvent(QPaintEvent* event) {
  if (lines_.isEmpty()) lines_ = wrapped(text(), font(), width() - 6);
  if (lines_.size() == 1) {
    QPushButton::paintEvent(event);
    return;
  }
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButton, option);
  const int step = QFontInfo(font()).pixelSize();
  int y = (height() - step * static_cast<int>(lines_.size())) / 2;
  for (const QString& line : lines_) {
    painter.drawText(QRect(0, y, width(), step), Qt::AlignCenter, line);
    y += step;
  }
}

void PanelButton::mousePressEvent(QMouseEvent* event) {
  if (pressed) pressed();
  QPushButton::mousePressEvent(event);
  if (pressed) event->accept();  // a press of any mouse button is this button's own
}

void PanelButton::mouseReleaseEvent(QMouseEvent* event) {
  if (released) released();
  QPushButton::mouseReleaseEvent(event);
}

QtButton::QtButton(PanelButton* widget) : widget_(widget), caption_(widget->text().toStdString()) {
  QObject::connect(widget_, &QPushButton::clicked, [this] {
    if (click_) click_();
  });
}

void QtButton::setCaption(std::string caption) {
  caption_ = std::move(caption);
  widget_->setCaption(QString::fromStdString(caption_));
}

QtOption::QtOption(QRadioButton* widget) : widget_(widget) {
  QObject::connect(widget_, &QRadioButton::clicked, [this] {
    if (click_) click_();
  });
}

void QtOption::select() {
  if (widget_->isChecked()) return;
  widget_->setChecked(true);
  if (click_) click_();
}

void PictureWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (doubleClicked) doubleClicked();
  QLabel::mouseDoubleClickEvent(event);
}

}  // namespace pv7100::ui
