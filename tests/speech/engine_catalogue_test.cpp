// The voice catalogue: listing, classification, default and stand-in voices.
#include <gtest/gtest.h>

#include "engine_test_util.h"
#include "speech/voice_catalogue.h"
#include "tests/support/text_literals.h"

namespace {

std::vector<std::string> Names(const AStringArray& a) {
    std::vector<std::string> v;
    for (int i = 0; i < a.GetSize(); ++i) v.emplace_back(a[i].GetString());
    return v;
}

struct Catalogue {
    int result = -1;
    AStringArray western, chinese;
    AString westernName, chineseName;
    VoiceTokenPtr westernToken, chineseToken;
};

Catalogue RunCatalogue(std::vector<SimulatedTokenSpec> tokens, const char* wantedWestern, const char* wantedChinese,
                       bool withVoice = true) {
    SimulatedVoiceSystem system(std::move(tokens));
    std::unique_ptr<Voice> voice;
    system.CreateVoice(voice);
    Catalogue c;
    c.westernName = wantedWestern;
    c.chineseName = wantedChinese;
    std::uint32_t stream = 0;
    c.result = VoiceCatalogue(system, withVoice ? voice.get() : nullptr, &stream, c.western, c.chinese, c.westernName,
                              c.chineseName, &c.westernToken, &c.chineseToken);
    return c;
}

std::u16string Id(const VoiceTokenPtr& t) { return t ? t->Id() : u"<none>"; }

TEST(VoiceCatalogueTest, DefaultVoicesWhenNoNameIsSet) {
    Catalogue c = RunCatalogue(SimulatedStandardTokens(), "", "");
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(Names(c.western), (std::vector<std::string>{"Sim Anna", "Sim David"}));
    EXPECT_EQ(c.chinese.GetSize(), 1);
    // The best male voice and the best "language=804" voice give the names.
    EXPECT_STREQ(c.westernName.GetString(), "Sim David");
    EXPECT_EQ(Id(c.westernToken), SimulatedStandardTokens()[1].Id);
    EXPECT_EQ(Id(c.chineseToken), SimulatedStandardTokens()[2].Id);
    EXPECT_FALSE(c.chineseName.IsEmpty());
}

TEST(VoiceCatalogueTest, DefaultSearchFailsWithoutAMaleVoice) {
    std::vector<SimulatedTokenSpec> tokens = {MakeSimulatedToken(u"a", u"Anna", u"", u"409", u"Female"),
                                              MakeSimulatedToken(u"h", u"Hui Chinese", u"", u"804", u"Female")};
    EXPECT_EQ(RunCatalogue(tokens, "", "").result, 0);
    // With a name set, no default search is made; the first Chinese voice stands in.
    Catalogue c = RunCatalogue(tokens, "Anna", "");
    EXPECT_EQ(c.result, 2);
    EXPECT_STREQ(c.chineseName.GetString(), "Hui Chinese");
}

TEST(VoiceCatalogueTest, ClassificationByMarkersAndAttributes) {
    std::vector<SimulatedTokenSpec> tokens = {
        MakeSimulatedToken(u"1", u"Voice of China", u"", u"409", u"Male"),  // marker "China"
        MakeSimulatedToken(u"2", u"Plain Voice", u"", u"804", u"Male"),     // no marker: Western
        MakeSimulatedToken(u"3", u"", u"普通话女声", u"409", u"Female"),    // marker in the 804 name
        MakeSimulatedToken(u"4", u"", u"", u"804;409", u"Female"),          // only attributes
        MakeSimulatedToken(u"5", u"", u"", u"409;804", u"Female"),
        MakeSimulatedToken(u"6", u"sample tts voice", u"", u"409", u"Male"),  // never listed
    };
    tokens[3].Attributes[u"Name"] = u"Attr Chinese";
    tokens[4].Attributes[u"Name"] = u"Attr Western";
    Catalogue c = RunCatalogue(tokens, "Plain Voice", "Voice of China");
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(Names(c.western), (std::vector<std::string>{"Plain Voice", "Attr Western"}));
    EXPECT_EQ(Names(c.chinese),
              (std::vector<std::string>{"Voice of China", Gbk("普通话女声").GetString(), "Attr Chinese"}));
    EXPECT_EQ(Id(c.westernToken), u"2");
    EXPECT_EQ(Id(c.chineseToken), u"1");
}

TEST(VoiceCatalogueTest, TrialPhraseFailures) {
    std::vector<SimulatedTokenSpec> tokens = {
        MakeSimulatedToken(u"busy", u"Busy", u"", u"409", u"Male"),
        MakeSimulatedToken(u"flaky", u"Flaky", u"", u"409", u"Male"),
        MakeSimulatedToken(u"broken", u"Broken", u"", u"409", u"Male"),
        MakeSimulatedToken(u"novoice", u"NoVoice", u"", u"409", u"Male"),
        MakeSimulatedToken(u"good", u"Good", u"", u"409", u"Male"),
        MakeSimulatedToken(u"zh", u"Chinese One", u"", u"804", u"Female"),
    };
    tokens[0].SpeakError = kVoiceErrDeviceBusy;  // fails at once
    tokens[0].SpeakErrorCount = 1;
    tokens[1].SpeakError = kVoiceErrFail;  // fails twice, passes the third attempt
    tokens[1].SpeakErrorCount = 2;
    tokens[2].SpeakError = kVoiceErrFail;  // fails three times
    tokens[2].SpeakErrorCount = 3;
    tokens[3].SetVoiceResult = kVoiceErrFail;  // cannot be selected
    Catalogue c = RunCatalogue(tokens, "Busy", "Chinese One");
    EXPECT_EQ(Names(c.western), (std::vector<std::string>{"Flaky", "Good"}));
    // The wanted voice was not listed: the first listed one stands in.
    EXPECT_EQ(c.result, 2);
    EXPECT_STREQ(c.westernName.GetString(), "Flaky");
    EXPECT_EQ(Id(c.westernToken), u"flaky");
    EXPECT_EQ(Id(c.chineseToken), u"zh");
}

TEST(VoiceCatalogueTest, NoMainVoiceListsNothing) {
    Catalogue c = RunCatalogue(SimulatedStandardTokens(), "Sim Anna", "", false);
    EXPECT_EQ(c.result, 0);
    EXPECT_EQ(c.western.GetSize() + c.chinese.GetSize(), 0);
}

TEST(VoiceCatalogueTest, TokenNamesAndAttributes) {
    SimulatedTokenSpec spec = MakeSimulatedToken(u"t", u"", u"中文声音", u"804;409", u"Female");
    spec.Attributes[u"Name"] = u"Attr";
    SimulatedVoiceSystem system({spec});
    std::vector<VoiceTokenPtr> tokens;
    ASSERT_EQ(system.EnumTokens(kVoiceCategoryId, nullptr, nullptr, tokens), kVoiceOk);
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_TRUE(TokenName(*tokens[0], 0).IsEmpty());
    EXPECT_TRUE(TokenName(*tokens[0], 1) == Gbk("中文声音"));
    EXPECT_TRUE(TokenName(*tokens[0], -1) == Gbk("中文声音"));
    int flag = 0;
    EXPECT_STREQ(TokenAttributes(*tokens[0], &flag).GetString(), "Attr");
    EXPECT_EQ(flag, 1);

    SimulatedTokenSpec bare = MakeSimulatedToken(u"b", u"Bare", u"", u"409", u"Male");
    bare.HasAttributes = false;
    SimulatedVoiceSystem bareSystem({bare});
    bareSystem.EnumTokens(kVoiceCategoryId, nullptr, nullptr, tokens);
    EXPECT_TRUE(TokenAttributes(*tokens[0], &flag).IsEmpty());
    EXPECT_EQ(flag, -1);
    // Found by name without a trial; the last match wins.
    EXPECT_EQ(Id(FindVoiceByName(bareSystem, AString("Bare"))), u"b");
    EXPECT_EQ(FindVoiceByName(bareSystem, AString("Other")), nullptr);
}

}  // namespace
