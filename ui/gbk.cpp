#include "ui/gbk.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace velmora {

namespace {

// Stateless: each call stands alone, so a lead byte left over at the end of
// one cell can never leak into the next cell that is decoded.
QStringDecoder& GbkDecoder() {
    static QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    return decoder;
}

QStringEncoder& GbkEncoder() {
    static QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    return encoder;
}

}  // namespace

QString GbkToUnicode(std::string_view gbk) {
    return GbkDecoder().decode(QByteArrayView(gbk.data(), static_cast<qsizetype>(gbk.size())));
}

std::string UnicodeToGbk(const QString& text) {
    const QByteArray bytes = GbkEncoder().encode(text);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string GbkToFileSystemName(std::string_view gbk) {
    return QFile::encodeName(GbkToUnicode(gbk)).toStdString();
}

}  // namespace velmora
