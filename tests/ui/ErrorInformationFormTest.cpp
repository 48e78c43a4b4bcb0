#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <stdexcept>

#include "ui/main/CorvantaApplication.h"
#include "ui/main/ErrorInformationForm.h"

using corvanta::ui::CorvantaApplication;
using corvanta::ui::TErrorInformationForm;

namespace {

class DiskOnFire : public std::runtime_error {
 public:
  DiskOnFire() : std::runtime_error("disk on fire") {}
};

// Throws from its event handler, as a faulty window would.
class Thrower : public QObject {
 public:
  int kind = 0;
  bool event(QEvent* e) override {
    if (e->type() != QEvent::User) return QObject::event(e);
    if (kind == 0) throw DiskOnFire();
    if (kind == 1) throw std::logic_error("already said.");
    throw 42;
  }
};

}  // namespace

class ErrorInformationFormTest : public QObject {
  Q_OBJECT

  CorvantaApplication* app() { return static_cast<CorvantaApplication*>(QCoreApplication::instance()); }

  // Presses a button of the failure window once it shows.
  void AnswerWith(TErrorInformationForm& window, bool exitButton, QString* first, QString* second) {
    auto* poll = new QTimer(&window);
    poll->setInterval(5);
    connect(poll, &QTimer::timeout, &window, [&window, poll, exitButton, first, second] {
      if (!window.isVisible()) return;
      poll->deleteLater();
      poll->stop();
      *first = window.FirstText()->text();
      *second = window.SecondText()->text();
      if (exitButton)
        window.ExitButton()->click();
      else
        window.reject();
    });
    poll->start();
  }

 private slots:
  void textsFollowTheFailure() {
    const auto t = corvanta::ui::MakeFailureTexts("std::bad_alloc", "/usr/bin/corvanta",
                                                  reinterpret_cast<void*>(0x1A2B), "std::bad_alloc");
    QCOMPARE(t.first, QString("Exception std::bad_alloc in Module corvanta at 00001A2B."));
    QCOMPARE(t.second, QString("std::bad_alloc."));
    QCOMPARE(corvanta::ui::MakeFailureTexts("X", "m", nullptr, "Done.").second, QString("Done."));
    QCOMPARE(corvanta::ui::MakeFailureTexts("X", "m", nullptr, "").second, QString());
  }

  void windowLayout() {
    TErrorInformationForm window;
    QCOMPARE(window.windowTitle(), QString("Error Information"));
    QCOMPARE(window.ExitButton()->text(), QString("&Exit"));
    bool found = false;
    for (QLabel* l : window.findChildren<QLabel*>()) found |= l->text() == "Corvanta has encountered an error!";
    QVERIFY(found);
  }

  void failureInAHandlerIsShownAndTheProgramGoesOn() {
    TErrorInformationForm window;
    app()->SetErrorWindow(&window);
    bool exited = false;
    app()->SetExitAction([&] { exited = true; });
    Thrower thrower;
    QString first, second;

    AnswerWith(window, false, &first, &second);
    QEvent e(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &e);
    QCOMPARE(app()->FailureCount(), 1);
    QVERIFY(first.startsWith("Exception (anonymous namespace)::DiskOnFire in Module ui_ErrorInformationFormTest at "));
    QVERIFY(first.endsWith("."));
    QCOMPARE(second, QString("disk on fire."));
    QVERIFY(!exited);

    thrower.kind = 1;
    AnswerWith(window, false, &first, &second);
    QCoreApplication::sendEvent(&thrower, &e);
    QVERIFY(first.startsWith("Exception std::logic_error in Module "));
    QCOMPARE(second, QString("already said."));

    // Posted events go through the same door.
    thrower.kind = 2;
    AnswerWith(window, true, &first, &second);
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QTRY_COMPARE(app()->FailureCount(), 3);
    QVERIFY(first.startsWith("Exception int in Module "));
    QCOMPARE(second, QString());
    QVERIFY(exited);
    app()->SetErrorWindow(nullptr);
  }
};

int main(int argc, char** argv) {
  CorvantaApplication app(argc, argv);
  ErrorInformationFormTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "ErrorInformationFormTest.moc"
