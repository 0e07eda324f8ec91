#include "httpexchange.h"

#include <QList>

qsizetype requestHeadEnd(const QByteArray &input, qsizetype begin, qsizetype &scanned) {
    // An empty line ends the head: LF, then LF or CR LF. Two bytes before a byte are all a
    // search needs to see again.
    for (qsizetype i = std::max(begin, scanned - 2); i < input.size(); ++i) {
        if (input[i] != '\n' || i == begin)
            continue;
        if (input[i - 1] == '\n' ||
            (input[i - 1] == '\r' && i - 2 >= begin && input[i - 2] == '\n')) {
            scanned = i + 1;
            return i + 1;
        }
    }
    scanned = input.size();
    return -1;
}

namespace {

bool isToken(QByteArrayView text) {
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (c <= ' ' || c >= 127 || QByteArrayView("()<>@,;:\\\"/[]?={}").contains(c))
            return false;
    }
    return true;
}

// A header line: its name, lower-cased, and its value; false for a malformed line.
bool headerField(QByteArrayView line, QByteArray &name, QByteArray &value) {
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0 || !isToken(line.first(colon)))
        return false;
    name = line.first(colon).toByteArray().toLower();
    value = line.sliced(colon + 1).trimmed().toByteArray();
    return true;
}

} // namespace

HttpRequestHead parseRequestHead(QByteArrayView head) {
    HttpRequestHead request;
    QList<QByteArrayView> lines;
    for (qsizetype start = 0; start < head.size();) {
        qsizetype end = head.indexOf('\n', start);
        if (end < 0)
            end = head.size();
        QByteArrayView line = head.sliced(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(line);
        start = end + 1;
    }
    if (lines.isEmpty())
        return request;
    const QList<QByteArray> parts = lines.first().toByteArray().split(' ');
    if (parts.size() != 3 || !isToken(parts[0]) || parts[1].isEmpty() ||
        (parts[2] != "HTTP/1.1" && parts[2] != "HTTP/1.0"))
        return request;
    request.method = parts[0];
    const qsizetype query = parts[1].indexOf('?');
    request.path = query < 0 ? parts[1] : parts[1].left(query);
    request.keepAlive = parts[2] == "HTTP/1.1";
    QByteArray name;
    QByteArray value;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (!headerField(lines[i], name, value))
            return request;
        if (name == "connection" && value.toLower().contains("close"))
            request.keepAlive = false;
        else if (name == "transfer-encoding")
            request.hasBody = true;
        else if (name == "content-length") {
            bool number = false;
            const qulonglong length = value.toULongLong(&number);
            if (!number)
                return request;
            request.hasBody = request.hasBody || length > 0;
        }
    }
    request.valid = true;
    return request;
}

namespace {

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 431:
        return "Request Header Fields Too Large";
    case 503:
        return "Service Unavailable";
    default:
        return "Unknown";
    }
}

} // namespace

QByteArray httpResponse(const HttpReply &reply, bool closing) {
    QByteArray text =
        "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
    if (!reply.contentType.isEmpty())
        text += "Content-Type: " + reply.contentType + "\r\n";
    if (reply.status == 405)
        text += "Allow: GET\r\n";
    text += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    if (closing)
        text += "Connection: close\r\n";
    return text + "\r\n" + reply.body;
}
