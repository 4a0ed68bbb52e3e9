// The component tables from a small decomposition and stroke fixture, read
// back through the lexicon's GetParts.
#include "tools/mkdata/component_data.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>

#include "lexicon/dict.h"
#include "rules/char_class.h"
#include "tests/support/string_bytes.h"

namespace {

class ComponentTables : public testing::Test {
protected:
    static void SetUpTestSuite() {
        gbk_ = new GbkIndex;
        std::istringstream decomp(
            "好:a(女,子)\n女:lock(㇛,丆)\n子:lock(了,一)\n了:c()\n一:c()\n"
            "中:lock(口,丨)\n国:s(囗,玉)\n想:d(10001,心)\n10001:a(木,目)\n"
            "亻:d/t(㇒,丨)\n口:mc(囗)\n道:stl(辶,首)\n"
            "笆:d(⺮,巴)\n笔:d(⺮,毛)\n笑:d(⺮,夭)\n筷:d(⺮,快)\n是:d(日,𤴓)\n𤴓:d(卜,人)\n");
        std::istringstream strokes(
            "...\n女\tzph\n子\tzsh\n了\tzs\n一\th\n中\tszhs\n口\tszh\n丨\ts\n"
            "国\tszhhshnh\n囗\tsz\n玉\thhshn\n想\thspnszhhhnznn\n木\thspn\n目\tszhhh\n"
            "心\tnznn\n㇒\tp\n亻\tps\n道\tnphpszhhhnzn\n首\tnphpszhhh\n辶\tnzn\n"
            "巴\tzhsz\n毛\tphhz\n夭\tphpn\n笆\tphnphnzhsz\n笔\tphnphnphhz\n笑\tphnphnphpn\n"
            "是\tszhhhshpn\n日\tszhh\n卜\tsn\n人\tpn\n𤴓\thshpn\n");
        CjkDecomp d;
        d.Read(decomp);
        StrokeDict s;
        s.Read(strokes);
        data_ = new ComponentData(BuildComponentData(d, s, *gbk_));
        dict_ = new CDict;
        for (auto& [k, v] : data_->components) dict_->ComponentTable[FromBytes(k)] = FromBytes(v);
        for (auto& [k, v] : data_->base) dict_->BaseComponentTable[FromBytes(k)] = FromBytes(v);
    }
    static void TearDownTestSuite() {
        delete dict_;
        delete data_;
        delete gbk_;
    }

    // The text in GBK as the data builder's index encodes it.
    static std::string IndexGbk(const char32_t* text) {
        std::string s;
        for (; *text; ++text) s += *text < 0x80 ? std::string(1, static_cast<char>(*text)) : gbk_->Encode(*text);
        return s;
    }
    static std::string Value(const TextPairs& pairs, const char32_t* key) {
        for (auto& [k, v] : pairs)
            if (k == IndexGbk(key)) return v;
        return "<none>";
    }
    static std::string Parts(const char32_t* text, bool depth) {
        const AString r = dict_->GetParts(FromBytes(IndexGbk(text)), depth);
        return std::string(r.GetString(), static_cast<size_t>(r.GetLength()));
    }

    static GbkIndex* gbk_;
    static ComponentData* data_;
    static CDict* dict_;
};
GbkIndex* ComponentTables::gbk_ = nullptr;
ComponentData* ComponentTables::data_ = nullptr;
CDict* ComponentTables::dict_ = nullptr;

TEST_F(ComponentTables, FirstLevelPartsAndBasicComponents) {
    const struct {
        const char32_t* key;
        const char32_t* value;
    } cases[] = {
        {U"好", U"女子"},     {U"子", U"了一"},
        {U"中", U"口丨"},     {U"想", U"木目心"},  // a shape without a GBK form gives its own parts
        {U"亻", U"3丨"},                           // a stroke without a GBK form gives its digit
        {U"道", U"首辶"},                          // in the order they are written
        {U"笆", U"314314巴"},                      // strokes that three characters imply
        {U"筷", U""},                              // 快 has no strokes: basic
        {U"是", U"日12134"},                       // a shape's strokes where its parts do not fit
        {U"女", U""},                              // its parts have no GBK form: basic
        {U"国", U""},                              // parts that do not add up to its strokes: basic
        {U"口", U""},                              // one component is no decomposition
        {U"丂", U""},                              // no source data, still a key
    };
    for (const auto& c : cases) EXPECT_EQ(Value(data_->components, c.key), IndexGbk(c.value));
}

TEST_F(ComponentTables, BaseTableHoldsStrokesOfBasicComponents) {
    EXPECT_EQ(Value(data_->base, U"女"), "531");
    EXPECT_EQ(Value(data_->base, U"国"), "25112141");
    EXPECT_EQ(Value(data_->base, U"好"), "<none>");  // composite
    EXPECT_EQ(Value(data_->base, U"丂"), "<none>");  // no strokes known
}

TEST_F(ComponentTables, EveryGbkChineseCharacterIsAKeyInCodeOrder) {
    size_t hanzi = 0;
    for (auto& [cp, code] : gbk_->Chars()) hanzi += IsGbkHanzi(static_cast<unsigned char>(code >> 8), code & 0xFF);
    ASSERT_EQ(data_->components.size(), hanzi);
    for (size_t i = 1; i < data_->components.size(); ++i)
        ASSERT_LT(static_cast<unsigned char>(data_->components[i - 1].first[0]) << 8 |
                      static_cast<unsigned char>(data_->components[i - 1].first[1]),
                  static_cast<unsigned char>(data_->components[i].first[0]) << 8 |
                      static_cast<unsigned char>(data_->components[i].first[1]));
}

TEST_F(ComponentTables, DepthExpansionGivesStrokeOrder) {
    EXPECT_EQ(Parts(U"好", false), IndexGbk(U"女子"));
    EXPECT_EQ(Parts(U"女", false), IndexGbk(U"女"));
    EXPECT_EQ(Parts(U"女", true), "531");
    EXPECT_EQ(Parts(U"子", true), "521");
    EXPECT_EQ(Parts(U"好", true), "531521");
    EXPECT_EQ(Parts(U"想", true), "1234251114544");
    EXPECT_EQ(Parts(U"国", true), "25112141");
    EXPECT_EQ(Parts(U"道", true), "431325111454");
}

TEST(ComponentData, TwoCharactersDoNotMakeAStrokeSequence) {
    std::istringstream decomp("笆:d(⺮,巴)\n笔:d(⺮,毛)\n");
    std::istringstream strokes("...\n巴\tzhsz\n毛\tphhz\n笆\tphnphnzhsz\n笔\tphnphnphhz\n");
    CjkDecomp d;
    d.Read(decomp);
    StrokeDict s;
    s.Read(strokes);
    const GbkIndex gbk;
    const ComponentData data = BuildComponentData(d, s, gbk);
    EXPECT_EQ(data.inferred, 0u);
    EXPECT_EQ(data.composite, 0u);
}

}  // namespace
