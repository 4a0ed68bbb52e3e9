// The polyphone model built by the data builder, and the readings that the
// speech preparation takes from a sentence with it.
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "lexicon/dict.h"
#include "lexicon/representative.h"
#include "lexicon/syllable.h"
#include "rules/context_readings.h"
#include "rules/polyphone_model.h"
#include "speech/speech_scan.h"
#include "tests/support/text_literals.h"
#include "text/data_file.h"
#include "text/gbk.h"

namespace {

const std::string kModelPath = DataFilePath(ZH_DATA_DIR, kPolyphoneModelFile);

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class PolyphoneData : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dict_ = new CDict;
        ASSERT_TRUE(dict_->LoadToneReadings(ZH_DATA_DIR));
        ASSERT_TRUE(dict_->LoadGbReadings(ZH_DATA_DIR));
        ASSERT_TRUE(dict_->LoadWordDictionary(ZH_DATA_DIR));
        BuildRepresentativeMap();
        model_ = new PolyphoneModel;
        std::string error;
        ASSERT_TRUE(model_->Load(kModelPath, error)) << error;
    }
    static void TearDownTestSuite() {
        delete dict_;
        delete model_;
    }

    // The reading ("hang2") the scan decides for each unit, "" where none.
    static std::vector<std::string> ScanReadings(const std::u16string& text, bool context, const PolyphoneModel* model) {
        SpeechScan scan(*dict_);
        scan.SetContextReadings(context, model);
        std::vector<std::string> got(text.size());
        scan.SetReadingSink([&](int pos, const AString&, const AString& pinyin, int tone) {
            if (pinyin.IsEmpty()) return;
            AString s = pinyin;
            ExpandSyllable(s);
            got[static_cast<size_t>(pos)] = std::string(s.GetString()) + char('0' + (tone ? tone : 5));
        });
        scan.Start(AString::FromBytes(reinterpret_cast<const char*>(text.data()), static_cast<int>(2 * text.size())));
        while (!scan.Finished()) scan.Step(nullptr);
        return got;
    }

    static CDict* dict_;
    static PolyphoneModel* model_;
};
CDict* PolyphoneData::dict_ = nullptr;
PolyphoneModel* PolyphoneData::model_ = nullptr;

// Scores computed from the .npy files by an independent script.
TEST_F(PolyphoneData, ScoresMatchTheReference) {
    std::ifstream in(POLYPHONE_SCORES);
    ASSERT_TRUE(in) << POLYPHONE_SCORES;
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream row(line);
        std::string sentence, scores;
        int pos = 0;
        std::getline(row, sentence, '\t');
        row >> pos;
        const std::u16string s = Utf16(sentence);
        std::vector<float> f;
        model_->Features(s.data(), static_cast<int>(s.size()), f);
        for (std::string item; row >> item;) {
            const size_t colon = item.rfind(':');
            std::string cls = item.substr(0, colon);
            for (size_t i; (i = cls.find("u:")) != std::string::npos;)
                cls.replace(i, 2, i + 2 < cls.size() && cls[i + 2] == 'e' ? "u" : "v");
            const int c = model_->FindClass(cls);
            ASSERT_GE(c, 0) << cls;
            EXPECT_NEAR(model_->Score(&f[static_cast<size_t>(pos) * kModelFeatures], c), std::stof(item.substr(colon + 1)),
                        2e-3)
                << sentence << " @" << pos << " " << cls;
            checked++;
        }
    }
    EXPECT_GT(checked, 20);
}

// Where the rules decline (or choose wrong), the sentence decides.
TEST_F(PolyphoneData, ContextDecidesWhereTheRulesDecline) {
    const struct {
        const char* text;
        int pos;
        const char* reading;
        bool rulesDecline;
    } cases[] = {
        {"我喜欢音乐。", 4, "yue4", true},   {"房间很干净。", 3, "gan1", true},
        {"他长大了。", 1, "zhang3", false},  {"他长大了。", 2, "da4", true},
        {"他当了行长。", 4, "zhang3", false}, {"银行在哪里？", 1, "hang2", false},
        {"我们重新开始。", 2, "chong2", false}, {"这件事由你处理。", 5, "chu3", false},
        {"他们住在朝阳区。", 4, "chao2", true}, {"我喝咖啡。", 2, "ka1", true},
        {"细嚼慢咽。", 1, "jiao2", true},      {"我们走吧。", 1, "men5", false},
        {"他得了疟疾。", 3, "nue4", true},  // the model's nu:e4, spelled as the readings are
    };
    for (const auto& c : cases) {
        const std::u16string s = Utf16(c.text);
        const auto rules = ScanReadings(s, false, nullptr);
        const auto context = ScanReadings(s, true, model_);
        if (c.rulesDecline) {
            EXPECT_EQ(rules[static_cast<size_t>(c.pos)], "") << c.text;
        }
        EXPECT_EQ(context[static_cast<size_t>(c.pos)], c.reading) << c.text;
    }
}

// 们 and 咖 are not the model's: a dictionary word decides, else the rules.
TEST_F(PolyphoneData, UnknownToTheModelWordThenRules) {
    ASSERT_EQ(model_->Candidates(u'们'), nullptr);
    ASSERT_EQ(model_->Candidates(u'咖'), nullptr);
    std::vector<ContextChoice> choices;
    const std::u16string words = Utf16("我们喝咖啡");
    ChooseContextReadings(*dict_, model_, words.data(), static_cast<int>(words.size()), choices);
    EXPECT_EQ(choices[1].source, ContextChoice::Word);
    EXPECT_EQ(std::string(choices[1].pinyin.GetString()) + char('0' + choices[1].tone), "men5");
    EXPECT_EQ(choices[3].source, ContextChoice::Word);
    EXPECT_EQ(std::string(choices[3].pinyin.GetString()) + char('0' + choices[3].tone), "ka1");

    // Alone, 们 has no word: the rules' reading (men2) stays.
    const std::u16string alone = Utf16("们");
    ChooseContextReadings(*dict_, model_, alone.data(), 1, choices);
    EXPECT_EQ(choices[0].source, ContextChoice::None);
    EXPECT_EQ(ScanReadings(alone, true, model_)[0], ScanReadings(alone, false, nullptr)[0]);
    EXPECT_NE(ScanReadings(alone, true, model_)[0], "");
}

// The rules stand where the model is unsure: whatever the model says at a
// margin below 4, the scan's reading is the rules' reading.
TEST_F(PolyphoneData, RulesStandWhereTheModelIsUnsure) {
    int unsure = 0;
    for (const char* text : {"他长大了，头发也长了。", "银行行长了解情况。", "他的头发很长。", "他是行长。"}) {
        const std::u16string s = Utf16(text);
        std::vector<ContextChoice> choices;
        ChooseContextReadings(*dict_, model_, s.data(), static_cast<int>(s.size()), choices);
        const auto rules = ScanReadings(s, false, nullptr);
        const auto context = ScanReadings(s, true, model_);
        for (size_t i = 0; i < s.size(); i++) {
            if (choices[i].source != ContextChoice::Model || rules[i].empty()) continue;
            const std::string model = std::string(choices[i].pinyin.GetString()) + char('0' + choices[i].tone);
            if (choices[i].margin < kRulesStandBelowMargin) {
                unsure++;
                EXPECT_EQ(context[i], rules[i]) << text << " @" << i;
            } else {
                EXPECT_EQ(context[i], model) << text << " @" << i;
            }
        }
    }
    EXPECT_GT(unsure, 0);
}

// A damaged model file is refused with a message; speech keeps the rules.
TEST_F(PolyphoneData, DamagedModelFilesAreRefused) {
    const std::string bytes = ReadBytes(kModelPath);
    ASSERT_GT(bytes.size(), 1000u);
    PolyphoneModel damaged;
    std::string error;
    EXPECT_FALSE(damaged.LoadBytes(bytes.substr(0, bytes.size() - 7), error));
    EXPECT_NE(error.find("truncated"), std::string::npos) << error;
    EXPECT_FALSE(damaged.Loaded());
    EXPECT_FALSE(damaged.LoadBytes(bytes.substr(0, 20), error));
    EXPECT_FALSE(damaged.LoadBytes("not a model", error));
    EXPECT_NE(error.find("not a polyphone model"), std::string::npos) << error;

    // A model with a wrong shape.
    PolyphoneModelData d;
    d.chars = {0, 0, 0, 0, 0x884C};
    d.classes = {"hang2", "xing2"};
    d.polyphones = {{0x884C, {0, 1}}};
    const std::uint32_t shapes[kModelTensors][2] = {{5, 64}, {128, 64}, {128, 32}, {128, 1}, {128, 1},
                                                    {128, 64}, {128, 32}, {128, 1}, {128, 1}, {32, 64},
                                                    {32, 1}, {2, 32}, {2, 1}};
    for (int i = 0; i < kModelTensors; i++) {
        d.tensors[i].rows = shapes[i][0];
        d.tensors[i].cols = shapes[i][1];
        d.tensors[i].data.assign(static_cast<size_t>(shapes[i][0]) * shapes[i][1], 0.01f);
    }
    EXPECT_TRUE(damaged.LoadBytes(SerializePolyphoneModel(d), error)) << error;
    d.tensors[2].rows = 127;
    d.tensors[2].data.resize(127 * 32);
    EXPECT_FALSE(damaged.LoadBytes(SerializePolyphoneModel(d), error));
    EXPECT_NE(error.find("forward W_hh has shape 127 x 32, expected 128 x 32"), std::string::npos) << error;

    // The scan with the refused model: words, then the rules, as before.
    const std::u16string s = Utf16("他长大了。");
    EXPECT_FALSE(damaged.Loaded());
    EXPECT_EQ(ScanReadings(s, true, &damaged)[1], "zhang3");
    EXPECT_EQ(ScanReadings(s, true, &damaged)[3], ScanReadings(s, false, nullptr)[3]);
}

}  // namespace

namespace {

// The voice gets a representative character only where the sentence's reading
// is not the character's first: 间 jian1 stays, 干 gan1 (first gan4) and 乐
// yue4 (first le4) do not. For a voice that does not say first readings, 间
// gives way to the representative of jian1 too.
TEST_F(PolyphoneData, RepresentativeWhereTheReadingIsNotTheFirst) {
    const std::u16string text = Utf16("房间很干净，我喜欢音乐。");
    AString jian1;
    GetRepresentativeChar(jian1, AString("jian"), 0);
    ASSERT_EQ(jian1.GetLength(), 2);
    const char16_t jian1Unit = Utf16(GbkToUtf8(jian1).c_str())[0];
    ASSERT_NE(jian1Unit, u'间');
    const struct {
        bool context, keepFirst;
    } modes[] = {{false, true}, {true, true}, {true, false}};
    for (const auto& m : modes) {
        SCOPED_TRACE(testing::Message() << "context " << m.context << ", first kept " << m.keepFirst);
        SpeechScan scan(*dict_);
        scan.SetContextReadings(m.context, model_, m.keepFirst);
        std::u16string spoken;
        scan.Start(AString::FromBytes(reinterpret_cast<const char*>(text.data()), static_cast<int>(2 * text.size())));
        while (!scan.Finished())
            scan.Step([&](int, const AString& piece, int) {
                spoken.append(reinterpret_cast<const char16_t*>(piece.GetString()), static_cast<size_t>(piece.GetLength() / 2));
            });
        ASSERT_EQ(spoken.size(), text.size());
        EXPECT_EQ(spoken[1], m.context && !m.keepFirst ? jian1Unit : u'间');
        EXPECT_EQ(spoken[3] != u'干', m.context);  // the rules decline
        EXPECT_EQ(spoken[10] != u'乐', m.context);
        EXPECT_EQ(spoken[9], u'音');  // one reading: never replaced
    }
}

}  // namespace
