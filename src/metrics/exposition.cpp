#include "exposition.h"

#include "figures.h"

namespace {

class Writer {
public:
    void header(const char *name, const char *type, const char *help) {
        m_text +=
            QByteArray("# HELP ") + name + ' ' + help + "\n# TYPE " + name + ' ' + type + '\n';
    }
    void sample(const char *name, qint64 value, const QByteArray &labels = {}) {
        m_text += name + labels + ' ' + QByteArray::number(value) + '\n';
    }
    void sample(const char *name, quint64 value, const QByteArray &labels = {}) {
        m_text += name + labels + ' ' + QByteArray::number(value) + '\n';
    }
    void gauge(const char *name, const char *help, qint64 value) {
        header(name, "gauge", help);
        sample(name, value);
    }
    void counter(const char *name, const char *help, quint64 value) {
        header(name, "counter", help);
        sample(name, value);
    }
    void histogram(const char *name, const char *help, const Histogram::Snapshot &taken);
    QByteArray text() const { return m_text; }

private:
    QByteArray m_text;
};

QByteArray label(const char *name, const QByteArray &value) {
    return QByteArray("{") + name + "=\"" + value + "\"}";
}

void Writer::histogram(const char *name, const char *help, const Histogram::Snapshot &taken) {
    header(name, "histogram", help);
    const QByteArray base(name);
    const QByteArray bucket = base + "_bucket";
    for (std::size_t i = 0; i < taken.upperBounds.size(); ++i)
        sample(bucket.constData(), taken.cumulative[i],
               label("le", QByteArray::number(taken.upperBounds[i], 'g', 6)));
    sample(bucket.constData(), taken.count, label("le", "+Inf"));
    m_text += base + "_sum " + QByteArray::number(taken.sumSeconds, 'g', 15) + '\n';
    sample((base + "_count").constData(), taken.count);
}

// Label values in the order of their enumeration.
constexpr const char *inputNames[] = {"zorer1", "zorer2", "tcp", "udp"};
// clang-format off
constexpr const char *refusalNames[] = {
    "crc",           "length",            "framing",         "unknown_id", "no_key",
    "undecryptable", "clear_refused",     "time_window",     "content",    "account_not_number",
    "not_stored",    "protected_account", "unknown_account", "receiver_account"};
// clang-format on
constexpr const char *replyNames[] = {"ack", "nak", "duh"};
constexpr const char *connectionRefusalNames[] = {"limit", "resources"};
// By ReceiverTrouble, then start-up.
constexpr const char *troubleNames[] = {
    "zorer_uda_1_lost",   "zorer_uda_2_lost",     "journal_not_storing",      "ip_restarted",
    "ip_port_not_opened", "clock_unsynchronised", "connection_limit_reached", "start_up"};
static_assert(std::size(troubleNames) == troubleCount + 1);
static_assert(std::size(inputNames) == std::size_t(Input::Count));
static_assert(std::size(refusalNames) == std::size_t(Refusal::Count));
static_assert(std::size(replyNames) == std::size_t(Reply::Count));
static_assert(std::size(connectionRefusalNames) == std::size_t(ConnectionRefusal::Count));

void writeReceiver(Writer &out, const Figures &figures) {
    out.gauge("voduro_connections", "Panel connections open now.",
              figures.value(Gauge::Connections));
    out.counter("voduro_connections_total", "Panel connections taken on since the start.",
                figures.connectionsTotal());
    out.header("voduro_connections_refused_total", "counter",
               "Panel connections closed as soon as they came, by reason.");
    for (int i = 0; i < int(ConnectionRefusal::Count); ++i)
        out.sample("voduro_connections_refused_total",
                   figures.connectionsRefused(ConnectionRefusal(i)),
                   label("reason", connectionRefusalNames[i]));
    out.header("voduro_connections_limit", "gauge",
               "Panel connections allowed open at once: as set (Max Connections) and in effect "
               "(lower where the open-file limit leaves too few descriptors).");
    out.sample("voduro_connections_limit", figures.value(Gauge::ConnectionLimitSetting),
               label("kind", "setting"));
    out.sample("voduro_connections_limit", figures.value(Gauge::ConnectionLimitInEffect),
               label("kind", "in_effect"));
    out.header("voduro_messages_received_total", "counter",
               "Messages acknowledged and taken, by the input they came in on.");
    for (int i = 0; i < int(Input::Count); ++i)
        out.sample("voduro_messages_received_total", figures.receivedCount(Input(i)),
                   label("input", inputNames[i]));
    out.header("voduro_messages_refused_total", "counter",
               "Frames and texts the IP receiver did not acknowledge, by reason.");
    for (int i = 0; i < int(Refusal::Count); ++i)
        out.sample("voduro_messages_refused_total", figures.refusedCount(Refusal(i)),
                   label("reason", refusalNames[i]));
    out.header("voduro_replies_total", "counter", "Replies sent to IP panels, by kind.");
    for (int i = 0; i < int(Reply::Count); ++i)
        out.sample("voduro_replies_total", figures.replyCount(Reply(i)),
                   label("kind", replyNames[i]));
}

void writeTroubles(Writer &out, const Figures &figures) {
    out.header("voduro_trouble_lines_total", "counter",
               "The monitor's own trouble lines queued under the receiver account, by event and "
               "qualifier (E trouble or event, R restore).");
    for (std::size_t i = 0; i <= troubleCount; ++i) {
        for (bool restore : {false, true}) {
            if (restore && i == troubleCount)
                continue; // start-up has no restore
            out.sample("voduro_trouble_lines_total", figures.troubleLines(i, restore),
                       QByteArray("{event=\"") + troubleNames[i] + "\",qualifier=\"" +
                           (restore ? "R" : "E") + "\"}");
        }
    }
}

void writeDelivery(Writer &out, const Figures &figures) {
    out.gauge("voduro_pending_messages", "Messages waiting to be decoded (Pending Messages).",
              figures.value(Gauge::PendingMessages));
    out.gauge("voduro_tx_pending", "Lines waiting for the automation software (Tx Pending).",
              figures.value(Gauge::TxPending));
    out.counter("voduro_tx_lines_delivered_total",
                "Lines the automation software acknowledged since the start.",
                figures.linesDelivered());
    out.gauge("voduro_tx_link_fault", "1 while the Tx link shows FAULT, 0 otherwise.",
              figures.value(Gauge::TxLinkFault));
    out.counter("voduro_tx_retries_total", "Lines sent again after an unanswered attempt.",
                figures.retries());
    out.gauge("voduro_tx_secondary_active",
              "1 while lines go to the secondary automation address, 0 otherwise.",
              figures.value(Gauge::TxSecondaryActive));
    out.histogram("voduro_alarm_latency_seconds",
                  "Time from a panel's message being stored to the automation software's ACK "
                  "of its line.",
                  figures.alarmLatency.snapshot());
}

void writeStore(Writer &out, const Figures &figures) {
    out.histogram("voduro_journal_flush_seconds",
                  "Time one flush of the queue journal to the disk took.",
                  figures.journalFlush.snapshot());
    out.gauge("voduro_journal_bytes", "Size of the queue journal file in bytes.",
              figures.value(Gauge::JournalBytes));
    out.gauge("voduro_accounts", "Polling accounts in the account table.",
              figures.value(Gauge::Accounts));
    out.gauge("voduro_accounts_poll_failed", "Accounts now in poll failure.",
              figures.value(Gauge::AccountsPollFailed));
    out.header("voduro_serial_line_up", "gauge",
               "1 while the line (Zorer-Uda 1 and 2, Tx link 5) is open, 0 otherwise.");
    const std::pair<const char *, Gauge> lines[] = {
        {"1", Gauge::Line1Up}, {"2", Gauge::Line2Up}, {"5", Gauge::Line5Up}};
    for (const auto &[name, gauge] : lines)
        out.sample("voduro_serial_line_up", figures.value(gauge), label("line", name));
}

} // namespace

QByteArray prometheusText(const Figures &figures, const QByteArray &version) {
    Writer out;
    out.gauge("voduro_up", "1 while the monitor runs and answers.", 1);
    out.header("voduro_build_info", "gauge", "The monitor's version, as a label; always 1.");
    out.sample("voduro_build_info", qint64(1), label("version", version));
    writeReceiver(out, figures);
    writeDelivery(out, figures);
    writeStore(out, figures);
    writeTroubles(out, figures);
    return out.text();
}
