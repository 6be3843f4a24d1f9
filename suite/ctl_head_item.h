#pragma once
// "ZeDezeVaz85.ctlheadItem": the suite's header text box: a caption, the box, and a
// picking button (a calendar for date items). Its text is readable and writable
// late-bound at dispatch id 0x6803001F ("Text"); it raises Change on every change of
// the text and Validate when the form asks whether the box may be left.

#include <QIcon>
#include <QString>
#include <QWidget>

#include "platform/com/automation_object.h"

class QCalendarWidget;
class QLabel;
class QLineEdit;
class QToolButton;

namespace suite {

inline constexpr com::DispId kDispIdCtlHeadItemText = 0x6803001F;

// The automation face of one box: Text (get/put) at 0x6803001F.
class CtlHeadItemObject : public com::AutomationObject {
 public:
  CtlHeadItemObject();
  const std::string& text() const { return text_; }
  // The widget keeps the value current and learns of puts.
  void SetText(std::string text) { text_ = std::move(text); }
  void SetOnPut(std::function<void(const std::string&)> on_put) { on_put_ = std::move(on_put); }

 private:
  std::string text_;
  std::function<void(const std::string&)> on_put_;
};

class CtlHeadItem : public QWidget {
  Q_OBJECT

 public:
  // Kinds of item (`property`): 5 is a date, picked from a calendar.
  static constexpr int kDateItem = 5;

  explicit CtlHeadItem(QWidget* parent = nullptr);
  ~CtlHeadItem() override;

  void setCaption(const QString& caption);
  QString caption() const;
  void setItemProperty(int property) { property_ = property; }
  int itemProperty() const { return property_; }
  // 0 no button, otherwise the picking button is shown.
  void setReferButton(int refer_button);
  // 0 no border around the box.
  void setBorderStyle(int border_style);
  void setButtonIcon(const QIcon& icon);

  QString text() const;
  void setText(const QString& text);
  com::IDispatch* dispatch() const { return object_.get(); }
  QLineEdit* editor() const { return editor_; }
  QToolButton* referButton() const { return button_; }

  // Raises Validate; true when no handler cancelled.
  bool validateLeave();

 signals:
  void Change(const QString& text);
  void Validate(bool* cancel);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PickDate();
  void Arrange();

  QLabel* label_;
  QLineEdit* editor_;
  QToolButton* button_;
  QCalendarWidget* calendar_ = nullptr;
  com::Ptr<CtlHeadItemObject> object_;
  int property_ = 0;
};

}  // namespace suite
