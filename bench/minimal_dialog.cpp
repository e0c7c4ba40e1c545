// The yardstick for start-up: the smallest Qt Widgets program that shows one modal dialog
// (a label, a line edit and two buttons, titled "Minimal Dialog").
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QDialog dialog;
  dialog.setWindowTitle("Minimal Dialog");
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel("Printer:"));
  layout->addWidget(new QLineEdit);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  return dialog.exec() == QDialog::Accepted ? 0 : 1;
}
