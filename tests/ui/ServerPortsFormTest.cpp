#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "UiTestSupport.h"
#include "naming/UserPorts.h"
#include "ui/main/ServerPortsForm.h"

using namespace corvanta;
using namespace corvanta::testing;
using ui::TServerPorts;

class ServerPortsFormTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  int run_ = 0;

  struct Setup {
    explicit Setup(const QString& ini) : store(ini), form(ports, store, dialogs) {}
    ui::QtSettingsStore store;
    RecordingDialogs dialogs;
    UserPorts ports;
    TServerPorts form;
  };
  QString Ini() { return dir_.filePath(QString("ports-%1.ini").arg(++run_)); }

  static void Type(TServerPorts& f, const QString& port, const QString& name) {
    f.PortNumber()->clear();
    f.PortName()->clear();
    QTest::keyClicks(f.PortNumber(), port);
    QTest::keyClicks(f.PortName(), name);
  }
  static QStringList Items(const TServerPorts& f) {
    QStringList out;
    for (int i = 0; i < f.ServerListBox()->count(); ++i) out << f.ServerListBox()->item(i)->text();
    return out;
  }
  static void ClickItem(TServerPorts& f, int row) {
    QListWidget* list = f.ServerListBox();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
  }

 private slots:
  void initTestCase() { QVERIFY(dir_.isValid()); }

  void layoutAndInitialState() {
    Setup s(Ini());
    QCOMPARE(s.form.windowTitle(), QString("User-defined Ports"));
    QCOMPARE(s.form.findChild<QPlainTextEdit*>("Memo1")->toPlainText(),
             QString("This is where you can enter UDP/TCP server ports\nnot pre-programmed into Corvanta or override "
                     "the\nnames given to ports. Port numbers are in decimal."));
    QCOMPARE(s.form.PortNumber()->maxLength(), 5);
    QCOMPARE(s.form.AddBtn()->text(), QString("&Add"));
    QCOMPARE(s.form.UpdateBtn()->text(), QString("&Update"));
    QCOMPARE(s.form.DeleteBtn()->text(), QString("&Delete"));
    QCOMPARE(s.form.OkButton()->text(), QString("&OK"));
    QCOMPARE(s.form.CancelButton()->text(), QString("&Cancel"));
    QVERIFY(!s.form.AddBtn()->isEnabled());
    QVERIFY(!s.form.UpdateBtn()->isEnabled());
    QVERIFY(!s.form.DeleteBtn()->isEnabled());
  }

  void addedPortIsSavedOnOkAndReadAtTheNextStart() {
    const QString ini = Ini();
    {
      Setup s(ini);
      s.form.show();
      Type(s.form, "8080", "Proxy");
      QVERIFY(s.form.AddBtn()->isEnabled());
      QVERIFY(!s.form.UpdateBtn()->isEnabled());
      s.form.AddBtn()->click();
      Type(s.form, "21", "Files");
      s.form.AddBtn()->click();
      Type(s.form, "1000", "Thousand");
      s.form.AddBtn()->click();
      // Sorted as text.
      QCOMPARE(Items(s.form), QStringList({"1000\tThousand", "21\tFiles", "8080\tProxy"}));
      QVERIFY(s.form.Modified());
      // The program's list changes at once.
      QVERIFY(s.ports.NameOf(8080));
      s.form.OkButton()->click();
      QVERIFY(s.form.PortNumber()->text().isEmpty());
      QVERIFY(s.dialogs.boxes.empty());  // no trace open: no warning
      QCOMPARE(s.store.ReadString("Server Ports", "2", ""), std::string("8080\tProxy"));
    }
    Setup again(ini);
    QCOMPARE(Items(again.form), QStringList({"1000\tThousand", "21\tFiles", "8080\tProxy"}));
    QCOMPARE(*again.ports.NameOf(21), std::string("Files"));
  }

  void selectingUpdatingAndDeleting() {
    const QString ini = Ini();
    Setup s(ini);
    s.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.form));
    Type(s.form, "443", "Secure");
    s.form.AddBtn()->click();
    Type(s.form, "53", "Names");
    s.form.AddBtn()->click();
    ClickItem(s.form, 1);
    QCOMPARE(s.form.PortNumber()->text(), QString("53"));
    QCOMPARE(s.form.PortName()->text(), QString("Names"));
    QVERIFY(s.form.DeleteBtn()->isEnabled());
    QVERIFY(s.form.UpdateBtn()->isEnabled());
    s.form.PortName()->clear();
    QTest::keyClicks(s.form.PortName(), "DNS");
    s.form.UpdateBtn()->click();
    QCOMPARE(Items(s.form), QStringList({"443\tSecure", "53\tDNS"}));
    ClickItem(s.form, 0);
    s.form.DeleteBtn()->click();
    QCOMPARE(Items(s.form), QStringList({"53\tDNS"}));
    QVERIFY(!s.form.DeleteBtn()->isEnabled());
    QVERIFY(!s.form.UpdateBtn()->isEnabled());
    // Deleting everything and pressing OK leaves the section empty.
    ClickItem(s.form, 0);
    s.form.DeleteBtn()->click();
    s.form.OkButton()->click();
    QVERIFY(s.store.ValueNames("Server Ports").empty());
    s.store.Sync();
    Setup again(ini);
    QVERIFY(Items(again.form).isEmpty());
  }

  void invalidPortNumberWarnsOnLeavingTheField() {
    Setup s(Ini());
    s.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.form));
    s.form.activateWindow();
    s.form.PortNumber()->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(s.form.PortNumber(), "80a");
    s.form.PortName()->setFocus(Qt::TabFocusReason);
    QCOMPARE(s.dialogs.boxes.size(), size_t{1});
    QCOMPARE(s.dialogs.boxes[0].kind, QString("error"));
    QCOMPARE(s.dialogs.boxes[0].title, QString("Error"));
    QCOMPARE(s.dialogs.boxes[0].text, QString("Invalid Port Number"));
    QCOMPARE(s.form.PortNumber()->text(), QString("80a"));
    // A port past 16 bits is no port number either.
    s.form.PortNumber()->setFocus(Qt::OtherFocusReason);
    s.form.PortNumber()->setText("70000");
    s.form.PortName()->setFocus(Qt::TabFocusReason);
    QCOMPARE(s.dialogs.boxes.size(), size_t{2});
    s.form.PortNumber()->setFocus(Qt::OtherFocusReason);
    s.form.PortNumber()->setText("8080");
    s.form.PortName()->setFocus(Qt::TabFocusReason);
    QCOMPARE(s.dialogs.boxes.size(), size_t{2});
    // The check only warns: an item can still be added as typed.
    s.form.PortNumber()->setText("80a");
    QTest::keyClicks(s.form.PortName(), "Odd");
    s.form.AddBtn()->click();
    QCOMPARE(Items(s.form), QStringList({"80a\tOdd"}));
  }

  void cancelRestoresTheStoreButStillWarnsWithATraceOpen() {
    const QString ini = Ini();
    Setup s(ini);
    s.form.SetTraceOpenQuery([] { return true; });
    s.form.show();
    Type(s.form, "8443", "Alt");
    s.form.AddBtn()->click();
    s.form.CancelButton()->click();
    QVERIFY(Items(s.form).isEmpty());
    QVERIFY(!s.ports.NameOf(8443));
    QCOMPARE(s.dialogs.boxes.size(), size_t{1});
    QCOMPARE(s.dialogs.boxes[0].kind, QString("warning"));
    QCOMPARE(s.dialogs.boxes[0].title, QString("User-defined Ports"));
    QCOMPARE(s.dialogs.boxes[0].text, QString("You must re-open the file for port changes to take affect."));
    // A new showing starts unmodified.
    s.form.show();
    s.form.OkButton()->click();
    QCOMPARE(s.dialogs.boxes.size(), size_t{1});
    // The window's own close button drops the changes like Cancel.
    s.form.show();
    Type(s.form, "9000", "Closed");
    s.form.AddBtn()->click();
    s.form.close();
    QVERIFY(Items(s.form).isEmpty());
    QVERIFY(!s.ports.NameOf(9000));
  }
};

QTEST_MAIN(ServerPortsFormTest)
#include "ServerPortsFormTest.moc"
