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
  // Whether replacing a file needs a question is for the saving command to decide: saving
  // over the map's own file does not.
  dialog->setOption(QFileDialog::DontConfirmOverwrite);
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

bool QtQuestions::AskYesNo(const std::string& text) {
  return QMessageBox::warning(parent_, kTitle, QString::fromStdString(text),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes;
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

namespace {

// Runs a checked dialog: Ok puts what `texts` collects to `check`, and only what it takes
// comes back.
template <typename Texts>
std::optional<Texts> RunChecked(CheckedDialog& dialog, const std::function<Texts()>& texts,
                                const Questions::OkCheck<Texts>& check) {
  dialog.SetOkCheck([&] { return check(texts()); });
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return texts();
}

std::string Text(const QLineEdit* edit) {
  return edit->text().toStdString();
}

}  // namespace

std::optional<Questions::TextPair> QtQuestions::MapSizeTexts(const OkCheck<TextPair>& check) {
  TFrmMapSize dialog(parent_);
  dialog.EdWidth->setText("20");
  dialog.EdHeight->setText("20");
  dialog.EdWidth->setFocus();
  return RunChecked<TextPair>(
      dialog,
      [&] {
        return TextPair{Text(dialog.EdWidth), Text(dialog.EdHeight)};
      },
      check);
}

std::optional<Questions::TextPair> QtQuestions::ShiftTexts(const OkCheck<TextPair>& check) {
  TFrmScrollMap dialog(parent_);
  dialog.EdX->clear();
  dialog.EdY->clear();
  return RunChecked<TextPair>(
      dialog,
      [&] {
        return TextPair{Text(dialog.EdX), Text(dialog.EdY)};
      },
      check);
}

std::optional<std::string> QtQuestions::LightText(const std::string& initial,
                                                  const OkCheck<std::string>& check) {
  TFrmGetLight dialog(parent_);
  dialog.Edit1->setText(QString::fromStdString(initial));
  return RunChecked<std::string>(
      dialog, [&] { return Text(dialog.Edit1); }, check);
}

std::optional<Questions::DoorTexts> QtQuestions::DoorDialog(const DoorTexts& initial,
                                                            const OkCheck<DoorTexts>& check) {
  TFrmDoorDlg dialog(parent_);
  dialog.CkDoor->setChecked(initial.Door);
  dialog.EdIndex->setText(QString::fromStdString(initial.Index));
  dialog.EdOffset->setText(QString::fromStdString(initial.Offset));
  return RunChecked<DoorTexts>(
      dialog,
      [&] {
        return DoorTexts{dialog.CkDoor->isChecked(), Text(dialog.EdIndex), Text(dialog.EdOffset)};
      },
      check);
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
