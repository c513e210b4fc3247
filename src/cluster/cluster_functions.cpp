#include "cluster/cluster_functions.h"

#include "cluster/cluster_state.h"
#include "cluster/model_table.h"
#include "common/pause.h"
#include "common/wait_steps.h"
#include "convert/extras.h"
#include "link/exchange.h"
#include "link/reply_text.h"

namespace vorkel {
namespace {

// One ReadDataByIdentifier exchange: the data text that follows the marker,
// up to and including its CR.
QString ReadIdentifier(MSComm& comm, const QString& request, const QString& marker) {
    return ReadAgainAfterNoData([&] {
        Exchange exchange(comm);
        exchange.Send(request);
        exchange.WaitForMarker(marker);
        const QString data = exchange.ReadLine();
        exchange.Finish();
        return data;
    });
}

QChar CharacterOfPiece(const QString& piece) {
    return QChar(static_cast<char16_t>(HexToDec(piece).toInt() & 0xFFFF));
}

} // namespace

QString BaseNumberText(const QString& baseText) {
    qsizetype digits = 0;
    while (digits < baseText.size() && baseText.at(digits).isDigit() &&
           baseText.at(digits).unicode() < 128)
        ++digits;
    QString number = baseText.left(digits);
    while (number.size() > 1 && number.startsWith(QLatin1Char('0')))
        number.remove(0, 1);
    return number.isEmpty() ? QStringLiteral("0") : number;
}

QString ClusterPartNumber() {
    return PartPrefix + QLatin1Char('-') + BaseNumberText(PartBaseText) + QLatin1Char('-') +
           PartSuffix;
}

QString PrefixOfReply(const QString& prefixData) {
    QString prefix;
    for (const int position : {1, 4, 7, 10})
        prefix += CharacterOfPiece(Piece(prefixData, position, 2));
    return prefix;
}

QString BaseTextOfReply(const QString& baseData) {
    // The byte at position 4 is not part of the base number.
    return Piece(baseData, 1, 2) + Piece(baseData, 7, 2) + Piece(baseData, 10, 2);
}

void NameCluster(const QString& modelData) {
    ClusterCodes[0] = Piece(modelData, 1, 2);
    ClusterCodes[1] = Piece(modelData, 4, 2);
    if (const ModelRow* row = FindModelRow(PartPrefix, ClusterCodes[0])) {
        SuffixLetters[0] = QLatin1String(row->letter);
        ClusterModel = QLatin1String(row->name);
    }
    if (const LetterRow* row = FindLetterRow(ClusterCodes[1]))
        SuffixLetters[1] = QLatin1String(row->letter);
    PartSuffix = SuffixLetters[0] + SuffixLetters[1];
}

ClusterIdentity ReadClusterIdentity(MSComm& comm, ReadingView& view) {
    TellWaiting(QLatin1String(StepIdentifying), Scaled(CurrentLinkLimits().endlessAnswerMs));
    PartPrefix = PrefixOfReply(ReadIdentifier(comm, QLatin1String(FirstIdentificationRequest),
                                              QLatin1String(FirstIdentificationAnswer)));
    Pause(250);

    PartBaseText = BaseTextOfReply(
        ReadIdentifier(comm, QStringLiteral("22e217"), QStringLiteral("62 E2 17 ")));
    Pause(250);

    // The two codes of this text name the model and the suffix letters.
    NameCluster(ReadIdentifier(comm, QStringLiteral("22e219"), QStringLiteral("62 E2 19 ")));
    view.ModelNamed(ClusterModel);
    Pause(250);

    ReadIdentifier(comm, QStringLiteral("22e200"), QStringLiteral("62 E2 00 "));

    const ClusterIdentity identity{ClusterPartNumber(), ClusterModel};
    view.Identified(identity.partNumber);
    return identity;
}

} // namespace vorkel
