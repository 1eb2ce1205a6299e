#include "shell/Startup.h"

#include "core/Error.h"
#include "shell/Backups.h"
#include "shell/DataFolder.h"
#include "shell/Forms.h"
#include "shell/GoodsTotalsFill.h"
#include "shell/MainUnit.h"
#include "shell/SingleInstance.h"
#include "store/Connection.h"
#include "store/Restore.h"
#include "store/Upgrades.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <unistd.h>
#include <vector>

namespace shell {

namespace {

constexpr int StartFailed = 1;

bool restartAsked = false;

// Said on stderr as well: without a screen (offscreen, minimal) nobody can answer a box,
// so there it is the only word, and the program ends instead of waiting.
void tellStartFailure(const QString& text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stderr);
    std::fflush(stderr);
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return;
    ui::message(nullptr, text, ui::MessageStyle::Error);
}

// The engine's words do not always say which file they are about.
QString namingTheFile(const QString& text)
{
    const QString file = QDir::toNativeSeparators(store::Connection::databasePath());
    if (text.contains(file))
        return text;
    return QStringLiteral("无法使用数据库文件 %1：%2").arg(file, text);
}

bool dataFolderEntered()
{
    try {
        enterDataFolder();
        return true;
    } catch (const core::Error& error) {
        tellStartFailure(error.message());
    }
    return false;
}

bool databaseIsUsable()
{
    const QString file = store::Connection::databasePath();
    // Only a new data folder gets a new data.mdb: an empty one in a used folder would hide the loss.
    if (!QFileInfo::exists(file)) {
        const QString folder = QDir::toNativeSeparators(QFileInfo(file).absolutePath());
        tellStartFailure(QStringLiteral("找不到数据库文件 %1。\n请把备份的 data.mdb 复制到文件夹 %2；"
                                        "要从空白数据重新开始，请先把这个文件夹改名，再启动软件，软件会新建它。")
                             .arg(QDir::toNativeSeparators(file), folder));
        return false;
    }
    try {
        store::Connection start(QStringLiteral("Start"));
        // An older file is brought up to date before any window reads it.
        store::upgradeDatabase(start);
        store::verifyDatabase(start);
        return true;
    } catch (const core::Error& error) {
        tellStartFailure(namingTheFile(error.message()));
    }
    return false;
}

// Before anything opens data.mdb: a second copy would otherwise empty the first one's open sale.
bool onlyCopyOnThisData()
{
    const QString refusal = holdOnlyCopyLock(store::Connection::databasePath());
    if (refusal.isEmpty())
        return true;
    tellStartFailure(refusal);
    return false;
}

// Keeping the current data as a copy takes seconds on a long history: the notice says so.
void putRestoredCopyInPlace()
{
    QProgressDialog notice(QStringLiteral("正在恢复备份，请稍候……"), QString(), 0, 0);
    notice.setWindowTitle(QStringLiteral("恢复备份"));
    notice.setCancelButton(nullptr);
    notice.show();
    QString failure;
    const std::unique_ptr<QThread> job(QThread::create([&failure] {
        try {
            store::restore::replaceWithStaged(store::Connection::databasePath());
        } catch (const core::Error& error) {
            failure = error.message();
        }
    }));
    job->start();
    while (!job->wait(50))
        QApplication::processEvents();
    notice.hide();
    if (!failure.isEmpty())
        ui::message(nullptr, QStringLiteral("备份没有恢复：%1\n软件用现在的数据重新启动。").arg(failure),
                    ui::MessageStyle::Error);
}

// The same program on the same data folder, in this process: the one-copy lock's file is closed
// on exec, so the new start takes it again.
void startAgain()
{
    const QByteArray program = QFile::encodeName(QCoreApplication::applicationFilePath());
    std::vector<QByteArray> arguments;
    for (const QString& argument : QCoreApplication::arguments())
        arguments.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    ::execv(program.constData(), argv.data());
    tellStartFailure(QStringLiteral("软件无法重新启动，请手动启动它。"));
}

} // namespace

void restartOnRestoredCopy()
{
    restartAsked = true;
    // After the handler that asked has returned: the dialogs' own loops end first.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
}

int runProgram()
{
    if (!dataFolderEntered())
        return StartFailed;
    if (!onlyCopyOnThisData())
        return StartFailed;
    if (!databaseIsUsable())
        return StartFailed;
    std::unique_ptr<Forms> forms;
    try {
        forms = std::make_unique<Forms>();
    } catch (const core::Error& error) {
        tellStartFailure(namingTheFile(error.message()));
        return StartFailed;
    } catch (const std::exception& error) {
        tellStartFailure(QString::fromLocal8Bit(error.what()));
        return StartFailed;
    }
    if (!forms->start())
        return 0;
    // The windows are up: the day's first copy of data.mdb is made while the cashier works.
    std::optional<BackupSchedule> backups(std::in_place, forms->MainForm);
    backups->atStart();
    std::optional<GoodsTotalsFill> goodsTotals(std::in_place);
    goodsTotals->atStart();
    const int code = QApplication::exec();
    goodsTotals->atExit();
    backups->atExit();
    if (!restartAsked)
        return code;
    // Nothing may hold data.mdb while it is replaced.
    goodsTotals.reset();
    backups.reset();
    forms.reset();
    putRestoredCopyInPlace();
    startAgain();
    return StartFailed;
}

} // namespace shell
