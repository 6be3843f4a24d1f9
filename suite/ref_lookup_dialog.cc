#include "suite/ref_lookup_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "suite/qt_host.h"

namespace suite {

int32_t ChooseWithDialog(const RefLookupModel& model, const std::string& title) {
  EnsureGuiApplication();
  QDialog dialog;
  dialog.setObjectName("RefLookupDialog");
  dialog.setWindowTitle(title.empty() ? QStringLiteral("参照") : QString::fromStdString(title));
  dialog.resize(420, 320);
  auto* table = new QTableWidget(model.RowCount(), model.ColumnCount(), &dialog);
  table->setObjectName("grdRef");
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
  QStringList headers;
  for (int32_t c = 0; c < model.ColumnCount(); ++c) headers << QString::fromStdString(model.Caption(c));
  table->setHorizontalHeaderLabels(headers);
  for (int32_t r = 0; r < model.RowCount(); ++r)
    for (int32_t c = 0; c < model.ColumnCount(); ++c)
      table->setItem(r, c, new QTableWidgetItem(QString::fromStdString(model.Text(r, c))));
  if (model.RowCount() > 0) table->selectRow(0);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(table);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(table, &QTableWidget::cellDoubleClicked, &dialog, &QDialog::accept);
  if (dialog.exec() != QDialog::Accepted) return -1;
  return table->currentRow();
}

}  // namespace suite
