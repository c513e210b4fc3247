// The pure readers of adapter text on arbitrary input: hexadecimal readings,
// number conversions, reply positions, answer classification, banner and
// model naming.
#include "cluster/cluster_functions.h"
#include "cluster/cluster_state.h"
#include "connection/adapter_connection.h"
#include "convert/extras.h"
#include "dtc/dtc_count.h"
#include "dtc/dtc_reply.h"
#include "link/link_error.h"
#include "link/reply_lines.h"

#include <cstddef>
#include <cstdint>

namespace {

template <typename F> void IgnoringConversionErrors(F f) {
    try {
        f();
    } catch (const vorkel::ConversionOverflow&) {
    } catch (const vorkel::ConversionTypeMismatch&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (vorkel::HexTextValue(text) < 0) __builtin_trap();
    IgnoringConversionErrors([&] { vorkel::HexToDec(text); });
    IgnoringConversionErrors([&] { vorkel::HexToBin(text); });
    IgnoringConversionErrors([&] { vorkel::BinToDec(text); });
    IgnoringConversionErrors([&] { vorkel::DecToBin(text); });
    vorkel::CountValueText(text, QStringLiteral("62 02 "), text);

    const QStringList lines = text.split(QLatin1Char('\r'));
    for (const char* caption : {"0", "1", "3", ""}) {
        const vorkel::DtcReply reply = vorkel::DecodeDtcReply(lines, QLatin1String(caption));
        if (reply.count < 0 || reply.count > 255) __builtin_trap();
        vorkel::DtcLinesNeeded(vorkel::DtcCountOfLine1(lines.value(0), QLatin1String(caption)));
    }
    int code = 0;
    vorkel::IsNegativeFrame(text, code);
    vorkel::ClassifyAnswer(text, text.left(8));
    vorkel::ServiceAnswered(text);
    vorkel::AdapterBanner(text);

    vorkel::PartPrefix = text.left(4);
    vorkel::PartBaseText = text.mid(4, 6);
    vorkel::NameCluster(text.mid(10));
    vorkel::ClusterPartNumber();
    return 0;
}
