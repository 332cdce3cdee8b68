// The program's life as a process: how it ends (关闭, Escape, the close
// request, SIGTERM, SIGINT: exit code 0; a fatal error: its box, then 255)
// and where it runs. Each case runs in a child process: either this test
// program copied to a fresh directory and started with "--child MODE", which
// drives the real start-up through RunProgram, or the real program.

#include "ui/lifecycle.h"

#include <signal.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <string_view>

#include "tests/ui/loopback.h"
#include "text/allocation.h"
#include "ui/log_box.h"
#include "ui/main_window.h"
#include "ui/picture_button.h"

namespace board {
namespace {

// ---- The child's side ----------------------------------------------------

void Print(const char* key, const QString& value) {
  std::printf("%s=%s\n", key, value.toUtf8().toHex().constData());
  std::fflush(stdout);
}

// Reports the box that is showing and presses its OK button, as a user would.
void AcceptBox(int triesLeft) {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (box == nullptr) {
    if (triesLeft > 0) {
      QTimer::singleShot(20, [triesLeft] { AcceptBox(triesLeft - 1); });
    }
    return;
  }
  Print("title", box->windowTitle());
  Print("text", box->text());
  Print("icon", QString::number(static_cast<int>(box->icon())));
  Print("buttons", QString::number(box->buttons().size()));
  Print("owner", box->parentWidget() == nullptr ? "none" : "some");
  box->button(QMessageBox::Ok)->click();
}

void AcceptBoxSoon() {
  QTimer::singleShot(0, [] { AcceptBox(100); });
}

void Later(std::function<void()> step) { QTimer::singleShot(0, step); }

int RunChild(int argc, char* argv[]) {
  const std::string_view mode = argc > 2 ? argv[2] : "";
  if (mode == "allocation-failure") {
    QApplication application(argc, argv);
    InstallFatalErrorReport();
    AcceptBoxSoon();
    ReportAllocationFailure(100);
  }
  return RunProgram(argc, argv, [mode](MainWindow& window) {
    Print("directory", QDir::currentPath());
    Print("visible", window.isVisible() ? "yes" : "no");
    if (mode == "close-button") {
      Later([&window] {
        QTest::mouseClick(&window.CloseButton(), Qt::LeftButton);
        Print("after", "close");  // never printed: the click ends it
      });
    } else if (mode == "escape-in-log") {
      Later([&window] {
        QTest::mouseClick(&window.LogTab(), Qt::LeftButton);
        window.Log().setFocus();
        QTest::keyClick(&window.Log(), Qt::Key_Escape);
      });
    } else if (mode == "close-request") {
      Later([&window] { window.windowHandle()->close(); });
    } else if (mode == "fatal-while-running") {
      Later([] {
        AcceptBoxSoon();
        ReportFatalError(
            "\xD4\xD8\xC8\xEB\xC6\xF4\xB6\xAF\xB4\xB0\xBF\xDA"
            "\xCA\xA7\xB0\xDC",  // 载入启动窗口失败
            7, 3);
      });
    }
  });
}

// ---- The test's side -----------------------------------------------------

struct ChildResult {
  bool finished = false;
  int exitCode = -1;
  QMap<QString, QString> printed;
};

QMap<QString, QString> ReadPrinted(const QByteArray& output) {
  QMap<QString, QString> printed;
  for (const QByteArray& line : output.split('\n')) {
    const qsizetype equals = line.indexOf('=');
    if (equals < 0) continue;
    printed.insert(
        QString::fromUtf8(line.left(equals)),
        QString::fromUtf8(QByteArray::fromHex(line.mid(equals + 1))));
  }
  return printed;
}

ChildResult Finish(QProcess& process) {
  ChildResult result;
  result.finished = process.waitForFinished(20000) &&
                    process.exitStatus() == QProcess::NormalExit;
  if (!result.finished) process.kill();
  process.waitForFinished(5000);
  result.exitCode = process.exitCode();
  result.printed = ReadPrinted(process.readAllStandardOutput());
  return result;
}

// A copy of the executable in its own directory, so that the program's run
// directory (and anything stored beside it) is fresh.
QString CopyInto(const QTemporaryDir& directory, const QString& executable) {
  const QString copy = directory.filePath(QFileInfo(executable).fileName());
  if (!QFile::copy(executable, copy)) return {};
  QFile::setPermissions(copy,
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return copy;
}

// True once the process has its handler for signal in place.
bool Catches(qint64 pid, int signal) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return false;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (!line.startsWith("SigCgt:")) continue;
    bool ok = false;
    const qulonglong mask = line.mid(7).trimmed().toULongLong(&ok, 16);
    return ok && (mask & (1ULL << (signal - 1))) != 0;
  }
  return false;
}

const QString kFatalHead = QStringLiteral("运行时出错!\r\n\r\n错误信息：");

}  // namespace

class LifecycleTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void endsWithZero_data();
  void endsWithZero();
  void fatalErrorShowsBoxThenEnds_data();
  void fatalErrorShowsBoxThenEnds();
  void terminationSignalEndsWithZero_data();
  void terminationSignalEndsWithZero();

 private:
  ChildResult RunSelf(const QString& mode, QString* runDirectory = nullptr);

  QTemporaryDir elsewhere_;
};

void LifecycleTest::initTestCase() { QVERIFY(elsewhere_.isValid()); }

ChildResult LifecycleTest::RunSelf(const QString& mode, QString* runDirectory) {
  QTemporaryDir directory;
  const QString copy =
      CopyInto(directory, QCoreApplication::applicationFilePath());
  if (copy.isEmpty()) return {};
  if (runDirectory != nullptr) {
    *runDirectory = QFileInfo(directory.path()).canonicalFilePath();
  }
  QProcess process;
  // Started from another directory: the program must move to its own.
  process.setWorkingDirectory(elsewhere_.path());
  process.start(copy, {QStringLiteral("--child"), mode});
  return Finish(process);
}

void LifecycleTest::endsWithZero_data() {
  QTest::addColumn<QString>("mode");
  QTest::newRow("关闭 clicked") << "close-button";
  QTest::newRow("Escape in the log box") << "escape-in-log";
  QTest::newRow("close request of the platform") << "close-request";
}

void LifecycleTest::endsWithZero() {
  QFETCH(QString, mode);
  QString runDirectory;
  const ChildResult result = RunSelf(mode, &runDirectory);
  QVERIFY(result.finished);
  QCOMPARE(result.exitCode, 0);
  QCOMPARE(result.printed.value("visible"), QStringLiteral("yes"));
  QCOMPARE(result.printed.value("directory"), runDirectory);
  QVERIFY(!result.printed.contains("after"));
}

void LifecycleTest::fatalErrorShowsBoxThenEnds_data() {
  QTest::addColumn<QString>("mode");
  QTest::addColumn<QString>("text");
  QTest::newRow("allocation failure")
      << "allocation-failure"
      << kFatalHead + QStringLiteral("分配 100 字节内存失败!\r\n\r\n0, 0\r\n");
  QTest::newRow("while the window runs")
      << "fatal-while-running"
      << kFatalHead + QStringLiteral("载入启动窗口失败\r\n\r\n7, 3\r\n");
}

void LifecycleTest::fatalErrorShowsBoxThenEnds() {
  QFETCH(QString, mode);
  QFETCH(QString, text);
  const ChildResult result = RunSelf(mode);
  QVERIFY(result.finished);
  QCOMPARE(result.printed.value("title"), QStringLiteral("错误"));
  QCOMPARE(result.printed.value("text"), text);
  QCOMPARE(result.printed.value("icon"),
           QString::number(static_cast<int>(QMessageBox::Critical)));
  QCOMPARE(result.printed.value("buttons"), QStringLiteral("1"));
  QCOMPARE(result.printed.value("owner"), QStringLiteral("none"));
  QCOMPARE(result.exitCode, 255);
}

void LifecycleTest::terminationSignalEndsWithZero_data() {
  QTest::addColumn<int>("signal");
  QTest::newRow("SIGTERM") << SIGTERM;
  QTest::newRow("SIGINT") << SIGINT;
}

// The real program, headless: the signal closes the window from the loop.
void LifecycleTest::terminationSignalEndsWithZero() {
  QFETCH(int, signal);
  QTemporaryDir directory;
  const QString copy = CopyInto(directory, QStringLiteral(BOARD_PROGRAM_PATH));
  QVERIFY(!copy.isEmpty());
  QProcess process;
  process.setWorkingDirectory(elsewhere_.path());
  process.start(copy, {});
  QVERIFY(process.waitForStarted());
  QVERIFY(
      testing::PumpUntil([&] { return Catches(process.processId(), signal); },
                         std::chrono::seconds(10)));
  QCOMPARE(kill(static_cast<pid_t>(process.processId()), signal), 0);
  const ChildResult result = Finish(process);
  QVERIFY(result.finished);
  QCOMPARE(result.exitCode, 0);
}

}  // namespace board

int main(int argc, char* argv[]) {
  if (argc > 1 && std::string_view(argv[1]) == "--child") {
    return board::RunChild(argc, argv);
  }
  QApplication application(argc, argv);
  board::LifecycleTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "lifecycle_test.moc"
