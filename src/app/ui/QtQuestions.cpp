#include "app/ui/QtQuestions.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QMessageBox>

#include "app/ui/Dialogs.h"
#include "tools/ui/AttributeDialogs.h"

namespace hl {

namespace {

const QString kTitle = QStringLiteral("Harbourlight 16bit Map Editor");
const QString kMapFilter = QStringLiteral("Map files (*.map);;All files (*)");

QFileDialog* MapDialog(QWidget* parent, QFileDialog::AcceptMode mode) {
  auto* dialog = new QFileDialog(parent, mode == QFileDialog::AcceptOpen ? "Open" : "Save As");
  dialog->setAttribute(Qt::WA_DeleteOnClose, false);
  dialog->setAcceptMode(mode);
  dialog->setDefaultSuffix("map");
  dialog->setNameFilter(kMapFilter);
  return dialog;
}

}  // namespace

Questions::Reply QtQuestions::AskYesNoCancel(const std::string& text) {
  const auto button =
      QMessageBox::warning(parent_, kTitle, QString::fromStdString(text),
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  return button == QMessageBox::Yes  ? Reply::Yes
         : button == QMessageBox::No ? Reply::No
                                     : Reply::Cancel;
}

void QtQuestions::Inform(const std::string& text) {
  QMessageBox::information(parent_, kTitle, QString::fromStdString(text));
}

std::optional<std::string> QtQuestions::OpenMapName() {
  std::unique_ptr<QFileDialog> dialog(MapDialog(parent_, QFileDialog::AcceptOpen));
  dialog->setFileMode(QFileDialog::ExistingFile);
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
  return dialog->selectedFiles().first().toStdString();
}

std::vector<std::string> QtQuestions::OpenMapNames() {
  std::unique_ptr<QFileDialog> dialog(MapDialog(parent_, QFileDialog::AcceptOpen));
  dialog->setFileMode(QFileDialog::ExistingFiles);
  std::vector<std::string> names;
  if (dialog->exec() != QDialog::Accepted) return names;
  for (const QString& f : dialog->selectedFiles()) names.push_back(f.toStdString());
  return names;
}

std::optional<std::string> QtQuestions::SaveMapName(const std::string& current) {
  std::unique_ptr<QFileDialog> dialog(MapDialog(parent_, QFileDialog::AcceptSave));
  if (!current.empty()) dialog->selectFile(QString::fromStdString(current));
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
  return dialog->selectedFiles().first().toStdString();
}

std::optional<std::pair<std::string, std::string>> QtQuestions::MapSizeTexts() {
  TFrmMapSize dialog(parent_);
  dialog.EdWidth->setText("20");
  dialog.EdHeight->setText("20");
  dialog.EdWidth->setFocus();
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return std::pair{dialog.EdWidth->text().toStdString(), dialog.EdHeight->text().toStdString()};
}

std::pair<std::string, std::string> QtQuestions::ShiftTexts() {
  TFrmScrollMap dialog(parent_);
  dialog.EdX->clear();
  dialog.EdY->clear();
  dialog.exec();  // however it closes, the numbers count
  return {dialog.EdX->text().toStdString(), dialog.EdY->text().toStdString()};
}

std::string QtQuestions::LightText(const std::string& initial) {
  TFrmGetLight dialog(parent_);
  dialog.Edit1->setText(QString::fromStdString(initial));
  dialog.exec();  // however it closes, the number in the box counts
  return dialog.Edit1->text().toStdString();
}

std::optional<Questions::DoorTexts> QtQuestions::DoorDialog(const DoorTexts& initial) {
  TFrmDoorDlg dialog(parent_);
  dialog.CkDoor->setChecked(initial.Door);
  dialog.EdIndex->setText(QString::fromStdString(initial.Index));
  dialog.EdOffset->setText(QString::fromStdString(initial.Offset));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return DoorTexts{dialog.CkDoor->isChecked(), dialog.EdIndex->text().toStdString(),
                   dialog.EdOffset->text().toStdString()};
}

bool QtQuestions::Progress(const std::string& what, int done, int total) {
  if (!progress_) {
    progress_ = new QProgressDialog(QString::fromStdString(what), "Stop", 0, total, parent_);
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(0);
  }
  progress_->setValue(done);
  QApplication::processEvents();
  const bool goOn = !progress_->wasCanceled();
  if (done >= total || !goOn) progress_->deleteLater();
  return goOn;
}

void QtQuestions::Beep() {
  QApplication::beep();
}

}  // namespace hl
