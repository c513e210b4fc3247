#include "link/reply_lines.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace vorkel {

QString CurrentLine(const QString& gathered) {
    return gathered.mid(gathered.lastIndexOf(QLatin1Char('\r')) + 1);
}

bool IsOtherUnitFrame(const QString& line) {
    static const QRegularExpression frame(QStringLiteral("^[0-9A-F]{3} ([0-9A-F]{2} ?)+\r?$"));
    return !line.startsWith(ClusterHeader) && frame.match(line).hasMatch();
}

std::optional<QByteArray> ClusterFrameBytes(const QString& line) {
    static const QRegularExpression frame(QStringLiteral("^728((?: [0-9A-F]{2})+) ?\r?$"));
    const QRegularExpressionMatch match = frame.match(line);
    if (!match.hasMatch()) return std::nullopt;
    return QByteArray::fromHex(match.captured(1).toLatin1());
}

bool IsWholeSingleFrame(const QString& line) {
    const std::optional<QByteArray> bytes = ClusterFrameBytes(line);
    if (!bytes) return false;
    const int pci = static_cast<std::uint8_t>(bytes->at(0));
    return pci >= 0x01 && pci <= 0x07 && (bytes->size() == 1 + pci || bytes->size() == 8);
}

int ServiceAnswered(const QString& line) {
    const std::optional<QByteArray> bytes = ClusterFrameBytes(line);
    if (!bytes) return -1;
    const int pci = static_cast<std::uint8_t>(bytes->at(0));
    const bool first = (pci >> 4) == 1 && bytes->size() == 8;
    if (!first && !IsWholeSingleFrame(line)) return -1;
    const int at = first ? 2 : 1; // the first data byte
    const int answer = static_cast<std::uint8_t>(bytes->at(at));
    if (answer != 0x7F) return answer >= 0x40 ? answer - 0x40 : -1;
    return first || pci >= 2 ? static_cast<std::uint8_t>(bytes->at(at + 1)) : -1;
}

int RequestService(const QString& request) {
    bool ok = false;
    const int service = request.left(2).toInt(&ok, 16);
    return ok ? service : -1;
}

QString LineOfMarker(const QString& gathered, const QString& rest) {
    return CurrentLine(gathered.endsWith(QLatin1Char('\r')) ? gathered.chopped(1) : gathered) +
           rest;
}

QString WhatTheAdapterSent(const QString& heard, const QString& request) {
    constexpr int most = 200;
    const qsizetype end = std::max<qsizetype>(0, heard.lastIndexOf(QLatin1Char('\r')));
    QStringList lines;
    for (const QString& raw : heard.left(end).split(QLatin1Char('\r'))) {
        const QString line = QString(raw).remove(QLatin1Char('>')).simplified();
        if (line.isEmpty() || line.compare(request, Qt::CaseInsensitive) == 0 ||
            (!lines.isEmpty() && lines.last() == line))
            continue;
        lines << line;
    }
    if (lines.isEmpty()) {
        // What came after the last line end; our own echo, perhaps cut, is nothing sent.
        const QString tail = heard.mid(heard.lastIndexOf(QLatin1Char('\r')) + 1)
                                 .remove(QLatin1Char('>'))
                                 .simplified();
        return request.startsWith(tail, Qt::CaseInsensitive) ? QString() : tail.right(most);
    }
    QString text = lines.takeLast().right(most);
    while (!lines.isEmpty() && lines.last().size() + 3 + text.size() <= most)
        text = lines.takeLast() + QStringLiteral(" | ") + text;
    return text;
}

bool HeardClusterAnswer(const QString& heard, const QString& answerByte) {
    const QRegularExpression answer(
        QStringLiteral("^728 [0-9A-F]{2} %1( |<|$)").arg(QRegularExpression::escape(answerByte)));
    for (const QString& line : heard.split(QLatin1Char('\r'))) {
        if (answer.match(line).hasMatch()) return true;
    }
    return false;
}

std::optional<NegativeAnswer> NegativeAnswerOf(const QString& line) {
    static const QRegularExpression negative(
        QStringLiteral("^728 0[3-7] 7F ([0-9A-F]{2}) ([0-9A-F]{2})( |\r|<|$)"));
    const QRegularExpressionMatch match = negative.match(line);
    if (!match.hasMatch()) return std::nullopt;
    return NegativeAnswer{match.captured(1).toInt(nullptr, 16),
                          match.captured(2).toInt(nullptr, 16)};
}

bool IsPendingFrame(const QString& line, int service) {
    const std::optional<NegativeAnswer> answer = NegativeAnswerOf(line);
    return answer && answer->code == 0x78 && answer->service == service;
}

bool MarkerComplete(const QString& gathered, const QString& marker, bool& lineEndTaken) {
    lineEndTaken = false;
    if (marker.isEmpty()) return false;
    if (gathered.endsWith(marker)) {
        const QString line = CurrentLine(gathered);
        // The marker lies in a line of the cluster's, or is that line's header.
        return line.startsWith(ClusterHeader) && line.size() >= marker.size() &&
               (marker != ClusterHeader || line == ClusterHeader);
    }
    if (!marker.endsWith(QLatin1Char(' ')) || !gathered.endsWith(QLatin1Char('\r'))) return false;
    const QString withoutBlank = marker.chopped(1) + QLatin1Char('\r');
    const QString line = CurrentLine(gathered.chopped(1)) + QLatin1Char('\r');
    if (marker == ClusterHeader || !line.startsWith(ClusterHeader) || !line.endsWith(withoutBlank))
        return false;
    // "728 03 54 FF 00": the marker's bytes stand whole before the CR, not
    // the tail of a longer byte ("154 FF 00").
    const qsizetype at = line.size() - withoutBlank.size();
    if (at < ClusterHeader.size() || line.at(at - 1) != QLatin1Char(' ')) return false;
    lineEndTaken = true;
    return true;
}

} // namespace vorkel
