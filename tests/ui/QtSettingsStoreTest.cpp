#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "naming/UserPorts.h"
#include "ui/widgets/QtSettingsStore.h"

using corvanta::UserPorts;
using corvanta::ui::QtSettingsStore;

class QtSettingsStoreTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString Ini(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    // Stores made without a file name land here, never in the user's real settings.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.filePath("native"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.filePath("ini"));
  }

  void missingValuesTakeTheirDefaults() {
    QtSettingsStore store(Ini("empty.ini"));
    QCOMPARE(store.ReadString("Recent Files", "0", ""), std::string());
    QCOMPARE(store.ReadInteger("Chart Properties", "Top Color", 16777215), int64_t{16777215});
    QCOMPARE(store.ReadBool("Tip Wizard", "Enabled", true), true);
    QVERIFY(!store.ReadBinary("Visualizer", "Font"));
    QVERIFY(!store.HasValue("Server Ports", "0"));
    QVERIFY(store.ValueNames("Server Ports").empty());
  }

  void typedValuesSurviveAReopen() {
    const QString file = Ini("typed.ini");
    std::vector<uint8_t> font(75, 0);
    font[0] = 1;
    font[5] = 'C';
    font[74] = 0xFF;
    {
      QtSettingsStore store(file);
      store.WriteString("Recent Files", "Last Directory", "/traces/with, comma; and = sign");
      store.WriteString("Server Ports", "0", "8080\tProxy");
      store.WriteInteger("Chart Properties", "Bottom Color", 65535);
      store.WriteInteger("Problem Finder", "ThresholdNegative", -12);
      store.WriteBool("Chart Properties", "View 3D", false);
      store.WriteBinary("Visualizer", "Font", font);
      store.WriteBinary("Visualizer", "Empty", {});
      store.WriteString("Print Setup", "Header", QString::fromUtf8("Ja \xC3\xBC").toStdString());
    }
    QtSettingsStore store(file);
    QCOMPARE(store.ReadString("Recent Files", "Last Directory", ""), std::string("/traces/with, comma; and = sign"));
    QCOMPARE(store.ReadString("Server Ports", "0", ""), std::string("8080\tProxy"));
    QCOMPARE(store.ReadInteger("Chart Properties", "Bottom Color", 0), int64_t{65535});
    QCOMPARE(store.ReadInteger("Problem Finder", "ThresholdNegative", 0), int64_t{-12});
    QCOMPARE(store.ReadBool("Chart Properties", "View 3D", true), false);
    QCOMPARE(store.ReadString("Print Setup", "Header", ""), QString::fromUtf8("Ja \xC3\xBC").toStdString());
    auto bytes = store.ReadBinary("Visualizer", "Font");
    QVERIFY(bytes);
    QVERIFY(*bytes == font);
    QVERIFY(store.ReadBinary("Visualizer", "Empty"));
    // A value of the other kind reads as absent.
    QVERIFY(!store.ReadRaw("Visualizer", "Font"));
    QVERIFY(!store.ReadBinary("Server Ports", "0"));
    QCOMPARE(store.ReadInteger("Server Ports", "0", 7), int64_t{7});
  }

  void nestedSectionsAndErase() {
    QtSettingsStore store(Ini("nested.ini"));
    store.WriteBinary("4.03\\Display", "MainForm", std::vector<uint8_t>(17, 2));
    store.WriteString("4.03", "Own", "x");
    store.WriteString("Server Ports", "0", "21\tA");
    store.WriteString("Server Ports", "1", "80\tB");
    QVERIFY(store.HasValue("4.03\\Display", "MainForm"));
    QVERIFY(store.HasValue("4.03/Display", "MainForm"));
    QCOMPARE(store.ValueNames("4.03"), std::vector<std::string>{"Own"});
    store.EraseSection("4.03");
    QVERIFY(!store.HasValue("4.03", "Own"));
    QVERIFY(store.HasValue("4.03\\Display", "MainForm"));
    store.EraseSection("Server Ports");
    QVERIFY(store.ValueNames("Server Ports").empty());
    store.EraseSection("Never Written");
  }

  void rootSectionEraseKeepsTheOtherSections() {
    QtSettingsStore store(Ini("root.ini"));
    store.WriteString("", "Top", "1");
    store.WriteString("Tip Wizard", "Enabled", "1");
    QCOMPARE(store.ReadString("", "Top", ""), std::string("1"));
    store.EraseSection("");
    QVERIFY(!store.HasValue("", "Top"));
    QVERIFY(store.HasValue("Tip Wizard", "Enabled"));
  }

  void handEditedListsReadAsText() {
    const QString file = Ini("hand.ini");
    {
      QFile f(file);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("[Recent%20Files]\nLast%20Directory=/a, /b\n");
    }
    QtSettingsStore store(file);
    QCOMPARE(store.ReadString("Recent Files", "Last Directory", ""), std::string("/a, /b"));
  }

  void userPortsPersistInTheirSection() {
    const QString file = Ini("ports.ini");
    {
      QtSettingsStore store(file);
      UserPorts ports;
      ports.Add(UserPorts::MakeItem("8080", "Web proxy"));
      ports.Add(UserPorts::MakeItem("1000", "Thousand"));
      ports.Save(store);
    }
    {
      QtSettingsStore store(file);
      QCOMPARE(store.ReadString("Server Ports", "0", ""), std::string("1000\tThousand"));
      UserPorts ports;
      ports.Load(store);
      QCOMPARE(ports.Size(), size_t{2});
      QCOMPARE(ports.Items()[1], std::string("8080\tWeb proxy"));
      corvanta::UserPorts none;
      none.Save(store);
    }
    QtSettingsStore store(file);
    UserPorts ports;
    ports.Load(store);
    QCOMPARE(ports.Size(), size_t{0});
  }

  void defaultStoreIsTheOrganisationsUserStore() {
    {
      QtSettingsStore store;
      store.WriteString("Tip Wizard", "Enabled", "0");
      store.Sync();
    }
    QSettings check(QSettings::NativeFormat, QSettings::UserScope, "Vexl Group", "Corvanta");
    QVERIFY(check.fileName().startsWith(dir_.path()));
    QCOMPARE(check.value("Tip Wizard/Enabled").toString(), QString("0"));
    QtSettingsStore again;
    QCOMPARE(again.ReadBool("Tip Wizard", "Enabled", true), false);
  }
};

QTEST_MAIN(QtSettingsStoreTest)
#include "QtSettingsStoreTest.moc"
