#include "recordtext.h"

#include "stringtable.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace ql5 {

namespace {

// The product name that the embedded network module reports for itself; the
// utility shows its own product name instead.
constexpr char kModuleProductName[] = "Digi Connect ME";

}  // namespace

QString FormatMac(const std::uint8_t macAddress[6])
{
    return QString::asprintf("%02x:%02x:%02x:%02x:%02x:%02x", macAddress[0], macAddress[1],
                             macAddress[2], macAddress[3], macAddress[4], macAddress[5]);
}

QString FormatDottedDecimal(std::uint32_t networkOrderAddress)
{
    std::uint8_t octets[4];
    std::memcpy(octets, &networkOrderAddress, sizeof octets);
    return QString::asprintf("%u.%u.%u.%u", octets[0], octets[1], octets[2], octets[3]);
}

QString DecodeConverterText(const char* bytes, std::size_t capacity)
{
    const char* end = std::find(bytes, bytes + capacity, '\0');
    const QByteArrayView text(bytes, end - bytes);
    // Stateless and with the byte order mark kept, the decoder depends on
    // nothing but the bytes it is given.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString decoded = utf8.decode(text);
    if (utf8.hasError())
        return QString::fromLatin1(text);
    return decoded;
}

void SubstituteProductName(DeviceRecordExchange& record)
{
    const QByteArray replacement = StringTableText(ReplacementProductName).toUtf8();
    if (std::strncmp(record.productName, kModuleProductName, sizeof record.productName) != 0)
        return;
    const std::size_t length =
        std::min<std::size_t>(static_cast<std::size_t>(replacement.size()), sizeof record.productName - 1);
    std::memset(record.productName, 0, sizeof record.productName);
    std::memcpy(record.productName, replacement.constData(), length);
}

}  // namespace ql5
