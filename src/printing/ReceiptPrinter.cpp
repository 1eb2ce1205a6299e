#include "printing/ReceiptPrinter.h"

#include "core/Error.h"

#include <QDeadlineTimer>
#include <QThread>
#include <cups/cups.h>
#include <memory>

namespace printing {

namespace {

constexpr int PrinterStopped = 5; // IPP printer-state "stopped"
constexpr int PollMs = 100;

const QString Raw = QStringLiteral("Local Raw Printer");

struct IppDeleter
{
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDeleter>;

QString lastCupsError()
{
    const char* text = cupsLastErrorString();
    return text && *text ? QString::fromUtf8(text) : QStringLiteral("CUPS 错误 %1").arg(int(cupsLastError()));
}

QString printerUri(const QString& queue)
{
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof(uri), "ipp", nullptr, "localhost", ippPort(), "/printers/%s",
                     queue.toUtf8().constData());
    return QString::fromUtf8(uri);
}

Ipp newRequest(ipp_op_t operation, const QString& queue, const std::vector<const char*>& attributes)
{
    Ipp request(ippNewRequest(operation));
    ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 printerUri(queue).toUtf8().constData());
    ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddStrings(request.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", int(attributes.size()),
                  nullptr, attributes.data());
    return request;
}

QStringList stringsOf(ipp_t* response, const char* name)
{
    QStringList values;
    if (ipp_attribute_t* attribute = ippFindAttribute(response, name, IPP_TAG_ZERO)) {
        for (int i = 0; i < ippGetCount(attribute); ++i) {
            if (const char* value = ippGetString(attribute, i, nullptr))
                values << QString::fromUtf8(value);
        }
    }
    return values;
}

QStringList troubleReasons(const QStringList& reasons)
{
    QStringList kept;
    for (const QString& reason : reasons) {
        if (reason != QLatin1String("none") && !reason.isEmpty())
            kept << reason;
    }
    return kept;
}

// The queue as it stands now: state, reasons and CUPS's own message.
struct QueueState
{
    bool found = false;
    bool stopped = false;
    bool accepting = true;
    QStringList reasons;
    QString message;
};

QueueState queueState(const QString& queue)
{
    Ipp response(cupsDoRequest(
        CUPS_HTTP_DEFAULT,
        newRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, queue,
                   {"printer-state", "printer-state-reasons", "printer-state-message", "printer-is-accepting-jobs"})
            .release(),
        "/"));
    QueueState state;
    if (!response || ippGetStatusCode(response.get()) >= IPP_STATUS_ERROR_BAD_REQUEST)
        return state;
    state.found = true;
    if (ipp_attribute_t* attribute = ippFindAttribute(response.get(), "printer-state", IPP_TAG_ENUM))
        state.stopped = ippGetInteger(attribute, 0) == PrinterStopped;
    if (ipp_attribute_t* attribute = ippFindAttribute(response.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN))
        state.accepting = ippGetBoolean(attribute, 0);
    state.reasons = troubleReasons(stringsOf(response.get(), "printer-state-reasons"));
    const QStringList message = stringsOf(response.get(), "printer-state-message");
    state.message = message.isEmpty() ? QString() : message.first();
    return state;
}

// A job's state; IPP_JSTATE_COMPLETED when CUPS no longer knows it.
ipp_jstate_t jobState(const QString& queue, int id)
{
    Ipp request = newRequest(IPP_OP_GET_JOB_ATTRIBUTES, queue, {"job-state"});
    ippAddInteger(request.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", id);
    Ipp response(cupsDoRequest(CUPS_HTTP_DEFAULT, request.release(), "/"));
    if (!response)
        return IPP_JSTATE_COMPLETED;
    ipp_attribute_t* state = ippFindAttribute(response.get(), "job-state", IPP_TAG_ENUM);
    return state ? ipp_jstate_t(ippGetInteger(state, 0)) : IPP_JSTATE_COMPLETED;
}

// The states of the receipt's jobs: by id, or the active jobs of the queue carrying its title.
QList<ipp_jstate_t> jobStates(const HandedJobs& jobs)
{
    QList<ipp_jstate_t> states;
    for (int id : jobs.ids)
        states << jobState(jobs.queue, id);
    if (!jobs.ids.isEmpty())
        return states;
    cups_job_t* active = nullptr;
    const int count =
        cupsGetJobs2(CUPS_HTTP_DEFAULT, &active, jobs.queue.toUtf8().constData(), 0, CUPS_WHICHJOBS_ACTIVE);
    for (int i = 0; i < count; ++i) {
        if (jobs.title == QString::fromUtf8(active[i].title))
            states << active[i].state;
    }
    cupsFreeJobs(count, active);
    return states;
}

QString optionValue(const QList<std::pair<QString, QString>>& options, const QString& name)
{
    for (const auto& [key, value] : options) {
        if (key == name)
            return value;
    }
    return {};
}

core::Error badOption(const ReceiptPrinter& printer, const QString& option, const QString& value,
                      const QString& allowed)
{
    return core::Error(QStringLiteral("打印机“%1”的设置 %2=%3 无效，可用的值：%4。小票没有打印，本单保持不变。")
                           .arg(printer.queue, option, value, allowed));
}

QString orUnknown(const QString& message)
{
    return message.isEmpty() ? QStringLiteral("CUPS 没有说明原因") : message;
}

// What CUPS's backends say while they cannot reach the printer, in the cashier's words.
QString backendMessageInWords(const QString& message)
{
    static const QList<std::pair<QString, QString>> known = {
        {QStringLiteral("may not exist or is unavailable"),
         QStringLiteral("连接不上打印机（打印机可能没有开机或没有连好）")},
        {QStringLiteral("unreachable"), QStringLiteral("连接不上打印机（请检查网线和打印机的 IP 地址）")},
        {QStringLiteral("not responding"), QStringLiteral("打印机没有响应")},
        {QStringLiteral("is in use"), QStringLiteral("打印机正忙或连接不上")},
        {QStringLiteral("is busy"), QStringLiteral("打印机正忙")},
        {QStringLiteral("become available"), QStringLiteral("正在等待打印机（USB 线可能没有接好或打印机没有开机）")},
    };
    for (const auto& [english, words] : known) {
        if (message.contains(english, Qt::CaseInsensitive))
            return words;
    }
    return {};
}

// A job still printing is quiet unless the queue tells of trouble: converting a page for a
// driver, or a printer slow to close its connection, takes a while without anything wrong.
QString whyWaiting(const QString& queue, const QueueState& state, bool started)
{
    QString why = describeReasons(state.reasons, state.message);
    if (why.isEmpty())
        why = backendMessageInWords(state.message);
    if (started && !state.stopped && why.isEmpty())
        return {};
    if (state.stopped)
        return QStringLiteral("打印机“%1”已停止（%2），小票在打印队列中等候。这笔销售已记入销售记录；"
                              "排除故障后用 cupsenable %1 恢复，小票会自动打印。")
            .arg(queue, orUnknown(why));
    if (!why.isEmpty())
        return QStringLiteral("小票还在打印机“%1”的队列中等候：%2。这笔销售已记入销售记录；"
                              "打印机恢复后小票会自动打印。")
            .arg(queue, why);
    const QString said = state.message.isEmpty() ? QString() : QStringLiteral("（打印系统：%1）").arg(state.message);
    return QStringLiteral("小票还在打印机“%1”的队列中排队等候%2。这笔销售已记入销售记录；请查看打印机。")
        .arg(queue, said);
}

} // namespace

EscPosSettings ReceiptPrinter::escPos(bool wideLayout) const
{
    EscPosSettings settings;
    settings.mode = language == ReceiptLanguage::EscPosImpact ? EscPosMode::Impact : EscPosMode::Raster;
    settings.dots = dots > 0 ? dots : defaultDots(settings.mode, wideLayout);
    settings.cut = cut;
    settings.drawer = drawer;
    return settings;
}

void readReceiptOptions(ReceiptPrinter& printer, const QList<std::pair<QString, QString>>& options)
{
    printer.language = printer.raw ? ReceiptLanguage::EscPosRaster : ReceiptLanguage::Pdf;
    const QString language = optionValue(options, QStringLiteral("receipt-printer"));
    if (language == QLatin1String("escpos-raster"))
        printer.language = ReceiptLanguage::EscPosRaster;
    else if (language == QLatin1String("escpos-impact"))
        printer.language = ReceiptLanguage::EscPosImpact;
    else if (language == QLatin1String("pdf"))
        printer.language = ReceiptLanguage::Pdf;
    else if (!language.isEmpty())
        throw badOption(printer, QStringLiteral("receipt-printer"), language,
                        QStringLiteral("escpos-raster、escpos-impact、pdf"));

    const QString dots = optionValue(options, QStringLiteral("receipt-dots"));
    printer.dots = 0;
    if (!dots.isEmpty()) {
        bool number = false;
        printer.dots = dots.toInt(&number);
        if (!number || printer.dots <= 0)
            throw badOption(printer, QStringLiteral("receipt-dots"), dots,
                            QStringLiteral("每行点数，如 384、576、400"));
    }

    const QString cut = optionValue(options, QStringLiteral("receipt-cut"));
    if (cut.isEmpty() || cut == QLatin1String("on"))
        printer.cut = true;
    else if (cut == QLatin1String("off"))
        printer.cut = false;
    else
        throw badOption(printer, QStringLiteral("receipt-cut"), cut, QStringLiteral("on、off"));

    const QString drawer = optionValue(options, QStringLiteral("receipt-drawer"));
    if (drawer.isEmpty() || drawer == QLatin1String("off"))
        printer.drawer = CashDrawer::None;
    else if (drawer == QLatin1String("pin2"))
        printer.drawer = CashDrawer::Pin2;
    else if (drawer == QLatin1String("pin5"))
        printer.drawer = CashDrawer::Pin5;
    else
        throw badOption(printer, QStringLiteral("receipt-drawer"), drawer, QStringLiteral("off、pin2、pin5"));
}

ReceiptPrinter defaultReceiptPrinter()
{
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest) {
        for (const char* variable : {"LPDEST", "PRINTER"}) {
            const QString named = qEnvironmentVariable(variable);
            if (!named.isEmpty())
                throw core::Error(
                    QStringLiteral("默认打印机“%1”不存在，小票无法打印。请在系统中重新设置默认打印机。").arg(named));
        }
        throw core::Error(QStringLiteral("没有默认打印机，小票无法打印。请先在系统中设置默认打印机。"));
    }
    ReceiptPrinter printer;
    printer.queue = QString::fromUtf8(dest->name);
    QList<std::pair<QString, QString>> options;
    for (int i = 0; i < dest->num_options; ++i)
        options.append({QString::fromUtf8(dest->options[i].name), QString::fromUtf8(dest->options[i].value)});
    cupsFreeDests(1, dest);

    printer.raw = optionValue(options, QStringLiteral("printer-make-and-model")) == Raw;
    printer.accepting = optionValue(options, QStringLiteral("printer-is-accepting-jobs")) != QLatin1String("false");
    printer.stopped = optionValue(options, QStringLiteral("printer-state")).toInt() == PrinterStopped;
    printer.reasons = troubleReasons(optionValue(options, QStringLiteral("printer-state-reasons")).split(u','));
    readReceiptOptions(printer, options);
    return printer;
}

void requireReady(const ReceiptPrinter& printer)
{
    if (printer.accepting && !printer.stopped)
        return;
    const QueueState state = queueState(printer.queue);
    const QString why = orUnknown(state.message.isEmpty() ? describeReasons(printer.reasons, {}) : state.message);
    if (!printer.accepting)
        throw core::Error(QStringLiteral("打印机“%1”不接受打印任务：%2。小票没有打印，本单保持不变；"
                                         "用 cupsaccept %1 让它重新接受打印任务。")
                              .arg(printer.queue, why));
    throw core::Error(QStringLiteral("打印机“%1”已停止：%2。小票没有打印，本单保持不变；"
                                     "排除故障后用 cupsenable %1 恢复。")
                          .arg(printer.queue, why));
}

int submitRawJob(const QString& queue, const QString& title, const QByteArray& data)
{
    const QByteArray name = queue.toUtf8();
    const QByteArray jobTitle = title.toUtf8();
    const int id = cupsCreateJob(CUPS_HTTP_DEFAULT, name.constData(), jobTitle.constData(), 0, nullptr);
    const auto refused = [&] {
        return core::Error(QStringLiteral("打印机“%1”拒绝了打印任务：%2").arg(queue, lastCupsError()));
    };
    if (id <= 0)
        throw refused();
    bool sent = cupsStartDocument(CUPS_HTTP_DEFAULT, name.constData(), id, jobTitle.constData(), CUPS_FORMAT_RAW, 1) ==
                HTTP_STATUS_CONTINUE;
    sent =
        sent && cupsWriteRequestData(CUPS_HTTP_DEFAULT, data.constData(), size_t(data.size())) == HTTP_STATUS_CONTINUE;
    // Finishing also ends a document whose data failed, so the job does not hang half-sent.
    const bool finished = cupsFinishDocument(CUPS_HTTP_DEFAULT, name.constData()) < IPP_STATUS_ERROR_BAD_REQUEST;
    if (!sent || !finished) {
        const core::Error error = refused();
        cupsCancelJob2(CUPS_HTTP_DEFAULT, name.constData(), id, 0);
        throw error;
    }
    return id;
}

QString waitForJobs(const HandedJobs& jobs, int waitMs)
{
    if (!jobs.viaCups || waitMs <= 0)
        return {};
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        const QList<ipp_jstate_t> states = jobStates(jobs);
        bool done = true;
        bool started = true;
        for (ipp_jstate_t state : states) {
            if (state == IPP_JSTATE_ABORTED || state == IPP_JSTATE_CANCELED)
                return QStringLiteral("打印机“%1”没有打印这张小票：打印任务被%2。这笔销售已记入销售记录。")
                    .arg(jobs.queue, state == IPP_JSTATE_ABORTED ? QStringLiteral("中止") : QStringLiteral("取消"));
            done = done && state == IPP_JSTATE_COMPLETED;
            started = started && state >= IPP_JSTATE_PROCESSING;
        }
        if (done)
            return {};
        if (deadline.hasExpired())
            return whyWaiting(jobs.queue, queueState(jobs.queue), started);
        QThread::msleep(PollMs);
    }
}

QString describeReasons(const QStringList& reasons, const QString& cupsMessage)
{
    static const QList<std::pair<QString, QString>> known = {
        {QStringLiteral("media-empty"), QStringLiteral("打印机缺纸")},
        {QStringLiteral("media-needed"), QStringLiteral("打印机缺纸")},
        {QStringLiteral("media-jam"), QStringLiteral("打印机卡纸")},
        {QStringLiteral("cover-open"), QStringLiteral("打印机的盖子打开着")},
        {QStringLiteral("door-open"), QStringLiteral("打印机的盖子打开着")},
        {QStringLiteral("offline"), QStringLiteral("打印机脱机（没有开机或没有连好）")},
        {QStringLiteral("shutdown"), QStringLiteral("打印机已关机")},
        {QStringLiteral("connecting-to-device"), QStringLiteral("连接不上打印机（请检查电源、网线或 USB 线）")},
        {QStringLiteral("timed-out"), QStringLiteral("打印机没有响应")},
        {QStringLiteral("paused"), QStringLiteral("打印队列已暂停")},
        {QStringLiteral("marker-supply-empty"), QStringLiteral("打印机的色带或墨用完了")},
        {QStringLiteral("other"), QStringLiteral("打印机报告了故障")},
    };
    QStringList words;
    for (const QString& reason : reasons) {
        QString keyword = reason;
        for (const char* suffix : {"-error", "-warning", "-report"}) {
            if (keyword.endsWith(QLatin1String(suffix)))
                keyword.chop(int(qstrlen(suffix)));
        }
        for (const auto& [name, words_] : known) {
            if (keyword == name && !words.contains(words_))
                words << words_;
        }
    }
    if (!words.isEmpty())
        return words.join(QStringLiteral("；"));
    const bool trouble = std::any_of(reasons.begin(), reasons.end(),
                                     [](const QString& reason) { return reason.endsWith(QLatin1String("-error")); });
    if (trouble)
        return QStringLiteral("打印机报告：") +
               (cupsMessage.isEmpty() ? reasons.join(QStringLiteral("，")) : cupsMessage);
    return {};
}

} // namespace printing
