// The fixed texts are GBK bytes; each must decode to the characters the
// windows are meant to show, and typed text must reach the engine as GBK.
#include <QTest>

#include "ui/gbk.h"
#include "ui/ui_texts.h"

namespace velmora {

class GbkTextsTest : public QObject {
    Q_OBJECT

  private slots:
    void fixedTextDecodesToItsCharacters_data() {
        QTest::addColumn<QByteArray>("gbk");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, std::string_view gbk, const char16_t* expected) {
            QTest::newRow(name) << QByteArray(gbk.data(), static_cast<qsizetype>(gbk.size()))
                                << QString::fromUtf16(expected);
        };
        row("caption", texts::kMainCaption, u"Velmora");
        row("angle label", texts::kAngleLabel, u"输入角度：");
        row("example label", texts::kExampleLabel, u"例如角度123°45′67.89″输入的格式为123.456789");
        row("radians label", texts::kRadiansLabel, u"转化为弧度：");
        row("convert button", texts::kConvertButton, u"角度转化弧度");
        row("batch button", texts::kBatchButton, u"批量转换");
        row("default angle", texts::kDefaultAngle, u"123.456789");
        row("about text", texts::kAboutText,
            u"   本工具是为想学习测绘编程的读者写的一个示例。\n"
            u"   欢迎访问本程序的说明页，单击这里即可打开。");
        row("results caption", texts::kResultsCaption, u"");
        row("angle column", texts::kAngleColumn, u"角度");
        row("radians column", texts::kRadiansColumn, u"弧度");
        row("save button", texts::kSaveButton, u"保 存");
        row("results file", texts::kResultsFileName, u"Velmora结果.txt");
        row("saved", texts::kSavedMessage, u"保存成功！");
        row("saved caption", texts::kSavedCaption, u"成功");
        row("save failed", texts::kSaveFailedMessage, u"保存失败！");
        row("save failed caption", texts::kSaveFailedCaption, u"失败");
        row("default caption", texts::kDefaultMessageCaption, u"信息：");
    }

    void fixedTextDecodesToItsCharacters() {
        QFETCH(QByteArray, gbk);
        QFETCH(QString, expected);
        QCOMPARE(GbkToUnicode(std::string_view(gbk.constData(), gbk.size())), expected);
        // And back: the literal holds exactly the GBK form of its characters.
        QCOMPARE(QByteArray::fromStdString(UnicodeToGbk(expected)), gbk);
    }

    void typedFullWidthDigitsBecomeGbkFullWidthForms() {
        // ０１．９ and the ideographic space, as the number reader expects them.
        QCOMPARE(UnicodeToGbk(QString::fromUtf16(u"\u3000０１．９")), std::string("\xa1\xa1"
                                                                                  "\xa3\xb0"
                                                                                  "\xa3\xb1"
                                                                                  "\xa3\xae"
                                                                                  "\xa3\xb9"));
    }

    void decodingOneCellNeverLeaksIntoTheNext() {
        // A lone lead byte at the end of one text must not swallow the first
        // byte of the text decoded after it.
        GbkToUnicode("12\xb0");
        QCOMPARE(GbkToUnicode("34"), QStringLiteral("34"));
    }

    void resultsFileNameIsStoredInTheFileSystemEncoding() {
        QCOMPARE(QString::fromUtf8(GbkToFileSystemName(texts::kResultsFileName)),
                 QString::fromUtf16(u"Velmora结果.txt"));
    }
};

}  // namespace velmora

QTEST_GUILESS_MAIN(velmora::GbkTextsTest)
#include "gbk_texts_test.moc"
