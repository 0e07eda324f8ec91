#pragma once

#include <QByteArray>

class Figures;

// The figures in the Prometheus text exposition format 0.0.4, every metric with its help text
// and type, labelled values always all present (a 0 is a value too), `version` as build info.
QByteArray prometheusText(const Figures &figures, const QByteArray &version);

// The media type of that text.
inline constexpr char prometheusContentType[] = "text/plain; version=0.0.4; charset=utf-8";
