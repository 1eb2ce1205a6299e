#include "support/PrintingQueue.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace testsupport {

namespace {

std::optional<QByteArray> variable(const char* name)
{
    if (!qEnvironmentVariableIsSet(name))
        return std::nullopt;
    return qgetenv(name);
}

void restoreVariable(const char* name, const std::optional<QByteArray>& value)
{
    if (value)
        qputenv(name, *value);
    else
        qunsetenv(name);
}

// lpadmin lives in sbin, which is not on every user's PATH. Empty when not installed.
QString toolPath(const QString& tool)
{
    const QString onPath = QStandardPaths::findExecutable(tool);
    if (!onPath.isEmpty())
        return onPath;
    return QStandardPaths::findExecutable(tool, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
}

} // namespace

ToolRun runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return {-1, program + QStringLiteral(" could not be started")};
    process.waitForFinished(60000);
    const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {code, QString::fromLocal8Bit(process.readAll())};
}

ToolRun runCupsTool(const QString& tool, const QStringList& arguments)
{
    const QString path = toolPath(tool);
    if (path.isEmpty())
        return {-1, tool + QStringLiteral(" is not installed")};
    return runTool(path, arguments);
}

PrintingQueue::PrintingQueue(const QString& name, const QStringList& lpadminArguments)
    : m_name(QStringLiteral("%1_%2").arg(name).arg(QCoreApplication::applicationPid())),
      m_printerVariable(variable("PRINTER")), m_lpdestVariable(variable("LPDEST"))
{
    for (const QString tool : {"lpstat", "lpadmin", "pdfinfo", "pdftotext"}) {
        if (toolPath(tool).isEmpty()) {
            m_unavailable = tool + QStringLiteral(" is not installed (cups-client, poppler-utils)");
            return;
        }
    }
    const ToolRun scheduler = runTool(QStringLiteral("lpstat"), {QStringLiteral("-r")});
    if (scheduler.exitCode != 0 || scheduler.output.contains(QStringLiteral("not running"))) {
        m_unavailable =
            QStringLiteral("the CUPS scheduler is not running (start cupsd): ") + scheduler.output.trimmed();
        return;
    }
    if (!m_printer.isListening()) {
        m_unavailable = QStringLiteral("cannot listen for print jobs: ") + m_printer.error();
        return;
    }
    const QString device = QStringLiteral("socket://127.0.0.1:%1").arg(m_printer.port());
    QStringList arguments = {"-p", m_name, "-E", "-v", device};
    if (!lpadminArguments.contains(QStringLiteral("-m")))
        arguments << "-m"
                  << "raw";
    const ToolRun added = runTool(toolPath(QStringLiteral("lpadmin")), arguments + lpadminArguments);
    if (added.exitCode != 0) {
        m_unavailable =
            QStringLiteral("cannot add a print queue (lpadmin needs the right to): ") + added.output.trimmed();
        return;
    }
    m_added = true;
    // LPDEST would be taken before PRINTER.
    qunsetenv("LPDEST");
    qputenv("PRINTER", m_name.toLocal8Bit());
}

PrintingQueue::~PrintingQueue()
{
    if (m_added)
        runTool(toolPath(QStringLiteral("lpadmin")), {QStringLiteral("-x"), m_name});
    restoreVariable("PRINTER", m_printerVariable);
    restoreVariable("LPDEST", m_lpdestVariable);
}

QSizeF pdfPageSizeInPoints(const QString& pdf)
{
    const ToolRun info = runTool(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(info.output);
    if (!match.hasMatch())
        return {};
    return {match.captured(1).toDouble(), match.captured(2).toDouble()};
}

QString pdfText(const QString& pdf)
{
    // Its warnings on stderr are no text of the page.
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

} // namespace testsupport
