// SimulatedVoiceSystem: token values, the "Attributes" subkey and enumeration
// with required and optional attributes.
#include <gtest/gtest.h>

#include "speech/simulated_voice.h"

namespace {

std::vector<std::u16string> Ids(const std::vector<VoiceTokenPtr>& tokens) {
    std::vector<std::u16string> ids;
    for (const auto& t : tokens) ids.push_back(t->Id());
    return ids;
}

// A catalogue with the cases the voice catalogue meets.
std::vector<SimulatedTokenSpec> Catalogue() {
    auto noNames = MakeSimulatedToken(u"attr-only", u"", u"", u"804", u"Female");
    noNames.Attributes[u"Name"] = u"Attribute Name";
    auto bare = MakeSimulatedToken(u"bare", u"", u"", u"", u"");
    bare.HasAttributes = false;
    return {
        MakeSimulatedToken(u"anna", u"Anna", u"", u"409", u"Female"),
        MakeSimulatedToken(u"sample", u"Sample TTS Voice", u"", u"409", u"Male"),
        MakeSimulatedToken(u"lili", u"Lili - Chinese", u"丽丽", u"804;409", u"Female", true),
        MakeSimulatedToken(u"david", u"David", u"", u"409", u"Male", true),
        MakeSimulatedToken(u"kangkang", u"", u"康康", u"409;804", u"MALE"),
        noNames,
        bare,
    };
}

TEST(VoiceTokenTest, StringValuesAndAttributesKey) {
    SimulatedVoiceSystem system(Catalogue());
    struct Case {
        std::u16string Id;
        const char16_t* Value;  // value name
        VoiceResult Result;
        std::u16string Text;
    } cases[] = {
        {u"lili", u"", kVoiceOk, u"Lili - Chinese"},
        {u"lili", nullptr, kVoiceOk, u"Lili - Chinese"},
        {u"lili", u"409", kVoiceOk, u"Lili - Chinese"},
        {u"lili", u"804", kVoiceOk, u"丽丽"},
        {u"kangkang", u"409", kVoiceErrNotFound, u""},
        {u"kangkang", u"804", kVoiceOk, u"康康"},
        {u"kangkang", u"", kVoiceOk, u"康康"},
        {u"attr-only", u"409", kVoiceErrNotFound, u""},
        {u"attr-only", u"", kVoiceErrNotFound, u""},
    };
    for (const auto& c : cases) {
        auto token = system.FindToken(c.Id);
        ASSERT_TRUE(token);
        std::u16string value = u"stale";
        EXPECT_EQ(token->GetStringValue(c.Value, value), c.Result);
        EXPECT_EQ(value, c.Text);
    }

    std::unique_ptr<VoiceDataKey> attrs;
    ASSERT_EQ(system.FindToken(u"lili")->OpenKey(u"Attributes", attrs), kVoiceOk);
    std::u16string v;
    EXPECT_EQ(attrs->GetStringValue(u"Language", v), kVoiceOk);
    EXPECT_EQ(v, u"804;409");
    EXPECT_EQ(attrs->GetStringValue(u"language", v), kVoiceOk);  // registry names ignore case
    EXPECT_EQ(attrs->GetStringValue(u"Name", v), kVoiceOk);
    EXPECT_EQ(v, u"Lili - Chinese");
    EXPECT_EQ(attrs->GetStringValue(u"Age", v), kVoiceErrNotFound);

    ASSERT_EQ(system.FindToken(u"attr-only")->OpenKey(u"Attributes", attrs), kVoiceOk);
    EXPECT_EQ(attrs->GetStringValue(u"Name", v), kVoiceOk);
    EXPECT_EQ(v, u"Attribute Name");

    EXPECT_EQ(system.FindToken(u"bare")->OpenKey(u"Attributes", attrs), kVoiceErrNotFound);
    EXPECT_FALSE(attrs);
    EXPECT_EQ(system.FindToken(u"lili")->OpenKey(u"Other", attrs), kVoiceErrNotFound);
}

TEST(VoiceTokenTest, EnumerationWithRequiredAndOptionalAttributes) {
    SimulatedVoiceSystem system(Catalogue());
    struct Case {
        const char16_t* Required;
        const char16_t* Optional;
        std::vector<std::u16string> Ids;
    } cases[] = {
        {nullptr, nullptr, {u"anna", u"sample", u"lili", u"david", u"kangkang", u"attr-only", u"bare"}},
        {u"", u"", {u"anna", u"sample", u"lili", u"david", u"kangkang", u"attr-only", u"bare"}},
        // Gender values ignore case; the vendor-preferred voice comes first.
        {u"gender=male", u"VendorPreferred", {u"david", u"sample", u"kangkang"}},
        {u"gender=male", nullptr, {u"sample", u"david", u"kangkang"}},
        // A language list matches any of its members.
        {u"language=804", u"VendorPreferred", {u"lili", u"kangkang", u"attr-only"}},
        {u"Language=409;Gender=Female", nullptr, {u"anna", u"lili"}},
        {u"Gender!=Female", nullptr, {u"sample", u"david", u"kangkang", u"bare"}},
        {u"VendorPreferred", nullptr, {u"lili", u"david"}},
        {u"language=411", nullptr, {}},
        // More optional matches first, ties in enumeration order.
        {nullptr, u"Gender=Male;Language=804",
         {u"kangkang", u"sample", u"lili", u"david", u"attr-only", u"anna", u"bare"}},
    };
    for (const auto& c : cases) {
        std::vector<VoiceTokenPtr> tokens{nullptr};
        ASSERT_EQ(system.EnumTokens(kVoiceCategoryId, c.Required, c.Optional, tokens), kVoiceOk);
        EXPECT_EQ(Ids(tokens), c.Ids) << std::string(c.Required ? c.Required : u"", c.Required ? c.Required + std::char_traits<char16_t>::length(c.Required) : c.Required);
    }
}

TEST(VoiceTokenTest, CategoryAndCreationFailures) {
    SimulatedVoiceSystem system(Catalogue());
    std::vector<VoiceTokenPtr> tokens;
    EXPECT_EQ(system.EnumTokens(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Recognizers", nullptr, nullptr, tokens),
              kVoiceErrNotFound);
    EXPECT_EQ(system.EnumTokens(u"hkey_local_machine\\software\\microsoft\\speech\\voices", nullptr, nullptr, tokens),
              kVoiceOk);
    EXPECT_EQ(tokens.size(), 7u);
    system.SetEnumTokensResult(kVoiceErrFail);
    EXPECT_EQ(system.EnumTokens(kVoiceCategoryId, nullptr, nullptr, tokens), kVoiceErrFail);
    EXPECT_TRUE(tokens.empty());

    std::unique_ptr<Voice> voice;
    system.SetCreateVoiceResult(kVoiceErrOutOfMemory);
    EXPECT_EQ(system.CreateVoice(voice), kVoiceErrOutOfMemory);
    EXPECT_FALSE(voice);
    EXPECT_EQ(system.VoiceCount(), 0u);
}

TEST(VoiceTokenTest, DefaultVoiceOfNewVoicesAndForeignTokens) {
    SimulatedVoiceSystem system(Catalogue());
    std::unique_ptr<Voice> voice;
    ASSERT_EQ(system.CreateVoice(voice), kVoiceOk);
    VoiceTokenPtr token;
    ASSERT_EQ(voice->GetVoice(token), kVoiceOk);
    EXPECT_EQ(token->Id(), u"anna");
    system.SetDefaultToken(u"david");
    ASSERT_EQ(system.CreateVoice(voice), kVoiceOk);
    voice->GetVoice(token);
    EXPECT_EQ(token->Id(), u"david");

    // A token of another system is refused.
    SimulatedVoiceSystem other;
    std::vector<VoiceTokenPtr> foreign;
    other.EnumTokens(kVoiceCategoryId, nullptr, nullptr, foreign);
    ASSERT_FALSE(foreign.empty());
    EXPECT_EQ(voice->SetVoice(foreign[0]), kVoiceOk);  // same implementation: accepted
    struct Alien : VoiceToken {
        VoiceResult GetStringValue(const char16_t*, std::u16string&) const override { return kVoiceOk; }
        VoiceResult OpenKey(const char16_t*, std::unique_ptr<VoiceDataKey>&) const override { return kVoiceErrNotFound; }
        std::u16string Id() const override { return u"alien"; }
    };
    EXPECT_EQ(voice->SetVoice(std::make_shared<Alien>()), kVoiceErrInvalidArg);
}

TEST(VoiceTokenTest, StandardTokensHaveTheVoicesTheCatalogueLooksFor) {
    SimulatedVoiceSystem system;
    std::vector<VoiceTokenPtr> male, chinese;
    system.EnumTokens(kVoiceCategoryId, u"gender=male", u"VendorPreferred", male);
    system.EnumTokens(kVoiceCategoryId, u"language=804", u"VendorPreferred", chinese);
    ASSERT_EQ(male.size(), 1u);
    ASSERT_EQ(chinese.size(), 1u);
    std::u16string name;
    male[0]->GetStringValue(u"409", name);
    EXPECT_EQ(name, u"Sim David");
    chinese[0]->GetStringValue(u"804", name);
    EXPECT_EQ(name, u"模拟慧慧 - 中文(简体)");
}

}  // namespace
