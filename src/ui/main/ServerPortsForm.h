#pragma once
#include <QDialog>
#include <functional>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace corvanta {
class SettingsStore;
class UserPorts;
}  // namespace corvanta

namespace corvanta::ui {

class DialogService;

// "User-defined Ports": edits the program's user ports list, which the decoder reads, and
// keeps it in the "Server Ports" section.
class TServerPorts : public QDialog {
  Q_OBJECT
 public:
  TServerPorts(UserPorts& ports, SettingsStore& store, DialogService& dialogs, QWidget* parent = nullptr);

  // Tells whether a trace is open, for the re-open warning.
  void SetTraceOpenQuery(std::function<bool()> query) { traceOpen_ = std::move(query); }
  bool Modified() const { return modified_; }

  QLineEdit* PortNumber() const { return portNumber_; }
  QLineEdit* PortName() const { return portName_; }
  QListWidget* ServerListBox() const { return list_; }
  QPushButton* AddBtn() const { return addBtn_; }
  QPushButton* UpdateBtn() const { return updateBtn_; }
  QPushButton* DeleteBtn() const { return deleteBtn_; }
  QPushButton* OkButton() const { return okBtn_; }
  QPushButton* CancelButton() const { return cancelBtn_; }

  // Reads the list from the store, clearing both edits.
  void FormCreate();

 public slots:
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillList(int select);
  void EditKeyUp();
  void ServerListBoxClick();
  void PortNumberExit();
  void AddBtnClick();
  void UpdateBtnClick();
  void DeleteBtnClick();
  void OkClick();
  void CancelClick();
  int SelectedIndex() const;

  UserPorts& ports_;
  SettingsStore& store_;
  DialogService& dialogs_;
  std::function<bool()> traceOpen_;
  bool modified_ = false;

  QPlainTextEdit* memo_ = nullptr;
  QLineEdit* portNumber_ = nullptr;
  QLineEdit* portName_ = nullptr;
  QListWidget* list_ = nullptr;
  QPushButton* addBtn_ = nullptr;
  QPushButton* updateBtn_ = nullptr;
  QPushButton* deleteBtn_ = nullptr;
  QPushButton* okBtn_ = nullptr;
  QPushButton* cancelBtn_ = nullptr;
};

}  // namespace corvanta::ui
