#include "widgets/qt_toolkit.h"

#include <QFrame>
#include <QPixmap>
#include <limits>

#include "widgets/layout.h"
#include "widgets/qt_style.h"

// The picture is a resource of this static library, which must be registered by hand.
static void initResources() {
  Q_INIT_RESOURCE(panel);
}

namespace pv7100::ui {
namespace {

QString text(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

void fillBackground(QWidget* widget, std::uint32_t back, std::uint32_t textColour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, qtColour(back));
  palette.setColor(QPalette::WindowText, qtColour(textColour));
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

// Name, place, size and font from the row; the adapters read the widget as it will stand.
template <typename W>
W* placed(W* widget, const ControlRow& row) {
  widget->setObjectName(text(row.name));
  widget->setGeometry(px(row.left), px(row.top), px(row.width), px(row.height));
  if (!row.font.face.empty()) widget->setFont(qtFont(row.font));
  if (row.other.flags & kHidden) widget->hide();
  return widget;
}

Qt::Alignment alignment(unsigned flags) {
  const Qt::Alignment horizontal = (flags & kCentred)        ? Qt::AlignHCenter
                                   : (flags & kRightAligned) ? Qt::AlignRight
                                                             : Qt::AlignLeft;
  return horizontal | Qt::AlignVCenter;
}

}  // namespace

QtToolkit::QtToolkit() {
  initResources();
  installFontSubstitutions();
  window_.widget().setStyleSheet(panelStyleSheet());
  for (const ControlRow& row : layoutControls()) build(row);
  for (const TimerRow& row : layoutTimers()) {
    timers_[std::string(row.name)] = std::make_unique<QtTimer>(row.interval);
  }
  window_.beforeUnload = [this] {
    for (auto& [name, timer] : timers_) timer->setEnabled(false);
  };
  setTabOrder();
}

void QtToolkit::build(const ControlRow& row) {
  QWidget* parent = row.parent.empty() ? &window_.widget() : find(widgets_, row.parent);
  const std::string name(row.name);
  QWidget* widget = nullptr;
  switch (row.kind) {
    case Kind::Button: {
      auto* button = placed(new PanelButton(text(row.caption), parent), row);
      if (row.back != kButtonFace) button->setProperty(kBackProperty, qtColour(row.back).name());
      button->setAutoDefault(true);  // Enter activates the focused button, as Space does
      buttons_[name] = std::make_unique<QtButton>(button);
      widget = button;
      break;
    }
    case Kind::Label: {
      auto* label = placed(new QLabel(text(row.caption), parent), row);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(alignment(row.other.flags));
      if (row.other.flags & kSingleBorder) label->setFrameStyle(QFrame::Box | QFrame::Plain);
      label->setWordWrap((row.other.flags & kGrowsToWrap) != 0);
      fillBackground(label, row.back, row.other.text);
      labels_[name] = std::make_unique<QtLabel>(label, std::string(row.caption));
      widget = label;
      break;
    }
    case Kind::Option: {
      auto* option = placed(new QRadioButton(text(row.caption), parent), row);
      option->setChecked((row.other.flags & kSelected) != 0);
      fillBackground(option, row.back, row.other.text);
      options_[name] = std::make_unique<QtOption>(option);
      widget = option;
      break;
    }
    case Kind::Frame: {
      auto* frame = placed(new QFrame(parent), row);
      frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
      fillBackground(frame, row.back, 0);
      frames_[name] = std::make_unique<QtFrame>(frame);
      widget = frame;
      break;
    }
    case Kind::TextBox: {
      auto* box = placed(new QLineEdit(parent), row);
      box->setMaxLength(std::numeric_limits<int>::max());
      textBoxes_[name] = std::make_unique<QtTextBox>(box);
      widget = box;
      break;
    }
    case Kind::Picture: {
      auto* picture = placed(new PictureWidget(parent), row);
      picture->setPixmap(QPixmap(QStringLiteral(":/pv7100/image1.png")));
      pictures_[name] = std::make_unique<QtPicture>(picture);
      widget = picture;
      break;
    }
  }
  widgets_[name] = widget;
}

void QtToolkit::setTabOrder() {
  const auto order = layoutTabOrder();
  for (std::size_t i = 1; i < order.size(); ++i) {
    QWidget::setTabOrder(find(widgets_, order[i - 1]), find(widgets_, order[i]));
  }
}

void QtToolkit::show() {
  window_.widget().show();
  find(widgets_, layoutTabOrder().front())->setFocus(Qt::OtherFocusReason);
}

}  // namespace pv7100::ui
