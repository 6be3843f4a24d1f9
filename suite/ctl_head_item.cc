#include "suite/ctl_head_item.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>

namespace suite {

namespace {

// The button's own face when the form gives none: a small calendar page.
QIcon CalendarFace() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setPen(QColor(64, 64, 64));
  p.setBrush(Qt::white);
  p.drawRect(1, 2, 13, 12);
  p.fillRect(2, 3, 12, 3, QColor(200, 40, 40));
  for (int y = 8; y <= 12; y += 2)
    for (int x = 3; x <= 12; x += 3) p.drawPoint(x, y);
  return QIcon(pixmap);
}

}  // namespace

CtlHeadItemObject::CtlHeadItemObject() : AutomationObject("ctlheadItem") {
  AddMember({"Text", kDispIdCtlHeadItemText, com::InvokeKind::PropertyGet,
             {com::OptParam("value", com::VarType::Variant, com::Variant::Missing(), false)}, com::VarType::String},
            [this](std::span<com::Variant> args) {
              if (!args[0].is_missing()) {
                text_ = args[0].ToString();
                if (on_put_) on_put_(text_);
              }
              return com::Variant(text_);
            });
}

CtlHeadItem::CtlHeadItem(QWidget* parent)
    : QWidget(parent),
      label_(new QLabel(this)),
      editor_(new QLineEdit(this)),
      button_(new QToolButton(this)),
      object_(com::MakeObject<CtlHeadItemObject>()) {
  button_->setFocusPolicy(Qt::NoFocus);
  button_->setIcon(CalendarFace());
  button_->setAutoRaise(true);
  button_->hide();
  setFocusProxy(editor_);
  setFocusPolicy(Qt::StrongFocus);
  object_->SetOnPut([this](const std::string& text) { editor_->setText(QString::fromStdString(text)); });
  connect(editor_, &QLineEdit::textChanged, this, [this](const QString& text) {
    object_->SetText(text.toStdString());
    emit Change(text);
  });
  connect(button_, &QToolButton::clicked, this, [this] { PickDate(); });
}

CtlHeadItem::~CtlHeadItem() { object_->SetOnPut(nullptr); }

void CtlHeadItem::setCaption(const QString& caption) {
  label_->setText(caption);
  Arrange();
}

QString CtlHeadItem::caption() const { return label_->text(); }

void CtlHeadItem::setReferButton(int refer_button) {
  button_->setVisible(refer_button != 0);
  Arrange();
}

void CtlHeadItem::setBorderStyle(int border_style) { editor_->setFrame(border_style != 0); }

void CtlHeadItem::setButtonIcon(const QIcon& icon) { button_->setIcon(icon); }

QString CtlHeadItem::text() const { return editor_->text(); }
void CtlHeadItem::setText(const QString& text) { editor_->setText(text); }

bool CtlHeadItem::validateLeave() {
  bool cancel = false;
  emit Validate(&cancel);
  return !cancel;
}

void CtlHeadItem::resizeEvent(QResizeEvent*) { Arrange(); }

void CtlHeadItem::Arrange() {
  int h = height();
  int label_width = label_->text().isEmpty() ? 0 : label_->fontMetrics().horizontalAdvance(label_->text()) + 4;
  label_->setGeometry(0, 0, label_width, h);
  int button_width = button_->isVisibleTo(this) ? h : 0;
  editor_->setGeometry(label_width, 0, width() - label_width - button_width, h);
  button_->setGeometry(width() - button_width, 0, button_width, h);
}

void CtlHeadItem::PickDate() {
  if (!calendar_) {
    calendar_ = new QCalendarWidget(this);
    calendar_->setWindowFlags(Qt::Popup);
    calendar_->setObjectName("calendar");
    // A popup is a window of its own and inherits no language from the form.
    calendar_->setLocale(locale());
    connect(calendar_, &QCalendarWidget::clicked, this, [this](QDate date) {
      calendar_->hide();
      editor_->setText(date.toString("yyyy-MM-dd"));
      editor_->setFocus();
    });
  }
  QDate current = QDate::fromString(editor_->text().trimmed(), "yyyy-M-d");
  calendar_->setSelectedDate(current.isValid() ? current : QDate::currentDate());
  calendar_->move(mapToGlobal(QPoint(width() - calendar_->sizeHint().width(), height())));
  calendar_->show();
}

}  // namespace suite
