#pragma once

// The headers nearly every test program includes, precompiled once for each group of tests that
// share their libraries and compile flags.
#include <QtTest>

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
