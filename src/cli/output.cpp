// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "cli/output.h"

#include <QStringEncoder>

#include <cerrno>
#include <clocale>
#include <iconv.h>
#include <langinfo.h>

using namespace Qt::StringLiterals;

namespace tankedosan::cli {

namespace {

// The locale's character set when it is neither UTF-8 nor the C locale's ASCII; empty otherwise.
const QByteArray &localeCharset()
{
    static const QByteArray charset = [] {
        std::setlocale(LC_CTYPE, "");
        const QByteArray name = QByteArray(nl_langinfo(CODESET)).toUpper();
        if (name == "UTF-8" || name == "UTF8" || name == "ANSI_X3.4-1968" || name == "ASCII" || name.isEmpty())
            return QByteArray();
        return name;
    }();
    return charset;
}

// iconv over a whole text at once; whatever it cannot convert is left out rather than stopping the output.
QByteArray convert(const char *to, const char *from, QByteArrayView bytes)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        return bytes.toByteArray();
    QByteArray out(bytes.size() * 4 + 16, Qt::Uninitialized);
    char *in = const_cast<char *>(bytes.data());
    size_t inLeft = size_t(bytes.size());
    char *o = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &o, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG) {
            const qsizetype done = o - out.data();
            out.resize(out.size() * 2);
            o = out.data() + done;
            outLeft = size_t(out.size() - done);
        } else { // a byte sequence it cannot take: skip one byte
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    out.truncate(o - out.data());
    return out;
}

} // namespace

QByteArray toTerminal(QStringView text)
{
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    QByteArray bytes = utf8.encode(text);
    const QByteArray &charset = localeCharset();
    return charset.isEmpty() ? bytes : convert(charset + "//TRANSLIT", "UTF-8", bytes);
}

QString fromTerminal(const char *bytes)
{
    const QByteArray &charset = localeCharset();
    if (charset.isEmpty())
        return QString::fromUtf8(bytes);
    return QString::fromUtf8(convert("UTF-8", charset.constData(), QByteArrayView(bytes)));
}

void Printer::line(QStringView text)
{
    m_buffer += text;
    m_buffer += u'\n';
    if (m_buffer.size() >= (1 << 16))
        flush();
}

void Printer::flush()
{
    if (m_buffer.isEmpty())
        return;
    const QByteArray bytes = toTerminal(m_buffer);
    // Out before any error that follows, so the two streams keep their order in a terminal.
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_file);
    std::fflush(m_file);
    m_buffer.clear();
}

bool Printer::finish()
{
    flush();
    return std::fflush(m_file) == 0 && !std::ferror(m_file);
}

void printError(const QString &text)
{
    const QByteArray bytes = toTerminal(u"tankedosan: "_s + text + u'\n');
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

void printFailure(const store::Failure &failure)
{
    printError(store::errorMessage(failure, store::ErrorForm::OneLine));
}

} // namespace tankedosan::cli
