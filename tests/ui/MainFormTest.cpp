#include <QTabWidget>
#include <QtTest>

#include "ui/main/MainForm.h"

class MainFormTest : public QObject {
  Q_OBJECT
 private slots:
  void showsSixPages() {
    corvanta::ui::TMainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.MainPageControl()->count(), 6);
    QCOMPARE(form.MainPageControl()->tabText(0), QString("File Summary"));
  }
};

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
