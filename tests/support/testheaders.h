#pragma once

// The headers nearly every test program includes, precompiled once for each group of tests that
// share their libraries and compile flags.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSignalSpy>
#include <QString>
#include <QTest>

#include <QTcpSocket>
