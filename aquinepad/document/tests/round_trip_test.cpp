// Whatever bytes a document holds, opening it in the real editor and saving it gives them back
// exactly: mixed line endings, bytes that are not GBK, NUL, byte-order marks, no final line break.
#include "aquinepad/tests/notepad_fixture.h"

#include <QTest>
#include <random>

using namespace aquinepad;
using namespace aquinepad::testing;

namespace {

std::string randomDocument(std::mt19937& rng) {
    std::uniform_int_distribution<int> lengthKind(0, 9);
    const int kind = lengthKind(rng);
    const std::size_t n = kind == 0 ? 0 : std::uniform_int_distribution<std::size_t>(1, kind < 8 ? 200 : 5000)(rng);
    // Biased towards what makes codecs and editors stumble: GBK leads and trails, four-byte GB18030
    // digits, every kind of line break, NUL, the UTF-8 byte-order mark, the raw-byte code point range.
    static const std::string tricky = std::string("\x81\x82\xA1\xB0\xD6\xF7\xFE\x80\xFF\x30\x35\x39\x40\x7E\x7F"
                                                  "\r\n\r\0\xEF\xBB\xBF\t ",
                                                  26);
    std::uniform_int_distribution<int> mode(0, 2);
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<std::size_t> pick(0, tricky.size() - 1);
    std::string doc(n, '\0');
    const int docMode = mode(rng);
    for (auto& c : doc)
        c = (docMode == 0 || any(rng) < 64) ? static_cast<char>(any(rng)) : tricky[pick(rng)];
    return doc;
}

} // namespace

class RoundTripTest : public QObject {
    Q_OBJECT

private slots:
    void thousandRandomFilesComeBackByteForByte() {
        Notepad pad;
        std::mt19937 rng(20261208);
        const QString in = pad.file("in.txt");
        const QString out = pad.file("out.txt");
        // The named cases first: mixed line endings, byte-order marks (UTF-8, UTF-16 with NUL), a final
        // line break kept and none added, four-byte sequences with a lone 0x80, a lead byte cut off.
        const QList<QByteArray> named = {QByteArray("a\r\nb\nc\rd"),
                                         QByteArray("\xEF\xBB\xBF\xD6\xD0"),
                                         QByteArray("\xFF\xFE"
                                                    "a\0b\0",
                                                    6),
                                         QByteArray("\xD6\xD0\r\n"),
                                         QByteArray("\x81\x30\x81\x30\x95\x32\x82\x36\x80"),
                                         QByteArray("\xD6")};
        for (int i = 0; i < 1000; ++i) {
            const QByteArray doc = i < named.size() ? named[i] : bytes(randomDocument(rng));
            writeAll(in, doc);
            QVERIFY(pad.window->session().OpenDocument(native(in)));
            QVERIFY(!pad.window->session().IsModified());
            QVERIFY(pad.window->session().SaveDocument(aquine::gbkFromQ(out), true) == aquine::SaveOutcome::Saved);
            const QByteArray saved = readAll(out);
            if (saved != doc)
                QFAIL(qPrintable(QStringLiteral("file %1 changed: %2 -> %3")
                                     .arg(i)
                                     .arg(QString::fromLatin1(doc.toHex(' ')), QString::fromLatin1(saved.toHex(' ')))));
        }
        QVERIFY(pad.failures.isEmpty());
    }
};

QTEST_MAIN(RoundTripTest)
#include "round_trip_test.moc"
