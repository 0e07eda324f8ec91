#pragma once

#include <QByteArray>

// The few rules of HTTP/1.1 the metrics page needs, over bytes: where a request's head ends,
// what it asks, and a response to it.

// The end of the request head in `input` (the index after its empty line, CR LF or a bare LF),
// or -1. `scanned` is where the last search stopped; the search resumes a few bytes before it,
// so input that arrives in pieces is searched once in all. It is set to where this one stopped.
qsizetype requestHeadEnd(const QByteArray &input, qsizetype begin, qsizetype &scanned);

struct HttpRequestHead {
    bool valid = false;     // a request line of HTTP/1.0 or 1.1 and well-formed header lines
    QByteArray method;      // as sent: methods are case-sensitive
    QByteArray path;        // the target without its query
    bool keepAlive = false; // HTTP/1.1 without "Connection: close"
    bool hasBody = false;   // a Content-Length above 0, or a Transfer-Encoding
};
HttpRequestHead parseRequestHead(QByteArrayView head);

struct HttpReply {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
};
// The response with its Content-Length, and "Connection: close" where the connection ends
// after it.
QByteArray httpResponse(const HttpReply &reply, bool closing);
