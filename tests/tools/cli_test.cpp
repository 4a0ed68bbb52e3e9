// Runs the console front end on the data the build made.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct CliRun {
    std::string out;
    int status = -1;
};

// Runs zhorvan-cli with the arguments (shell words) and optional input; the
// output is standard output, or standard error when asked for.
CliRun Cli(const std::string& args, const std::string& input = "", bool errors = false) {
    const std::string command = (input.empty() ? "" : "printf '%b' '" + input + "' | ") + ZH_CLI +
                                std::string(" ") + args + (errors ? " 2>&1 >/dev/null" : " 2>/dev/null");
    CliRun r;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

const std::string kData = std::string("--data ") + ZH_DATA_DIR + " ";

TEST(Cli, ReadingsAsTheSpeechPreparationAsks) {
    const struct { const char* text; const char* lines; } cases[] = {
        {"银行行长了解情况", "银\t-\n行\thang2\n行\txing2\n长\tchang2\n了\tliao3\n解\t-\n情\t-\n况\t-\n"},
        {"弹 无虚", "弹\tdan4\n无\t-\n虚\t-\n"},  // next1 and next2 past the blank
        {"银 行", "银\t-\n行\txing2\n"},         // the blank is the previous character
        {"银,行", "银\t-\n,\t-\n行\txing2\n"},    // the comma empties the history
        {"丂", "丂\tkao3\n"},                     // outside GB2312: first reading
    };
    for (const auto& c : cases) {
        const CliRun r = Cli(kData + "readings '" + c.text + "'");
        EXPECT_EQ(r.status, 0) << c.text;
        EXPECT_EQ(r.out, c.lines) << c.text;
    }
}

TEST(Cli, Big5WithContextRules) {
    EXPECT_EQ(Cli(kData + "big5 皇后后来").out, "皇后後來\n");
    EXPECT_EQ(Cli(kData + "big5 -", "皇后后来").out, "皇后後來\n");
    EXPECT_EQ(Cli(kData + "big5 'a1 面条'").out, "a1 麵條\n");
}

TEST(Cli, SegmentsAndPinyin) {
    EXPECT_EQ(Cli(kData + "segment '，我们去 银行abc'").out, "1\t1\t3\t我们\n2\t3\t4\t去\n1\t5\t7\t银行\n0\t-1\t-1\tabc\n");
    EXPECT_EQ(Cli(kData + "pinyin '中 a'").out, "中\tzhōng, zhòng\na\t-\n");
}

TEST(Cli, SpeechPieces) {
    EXPECT_EQ(Cli(kData + "prepare 我买了USB线").out, "1\t0\t我买了\n0\t3\tUSB\n1\t6\t线\n");
    EXPECT_EQ(Cli(kData + "prepare 他说,好").out, "1\t0\t他说，好\n");
    // Polyphones become representatives of the decided readings, unit for unit.
    EXPECT_EQ(Cli(kData + "prepare 银行行长").out, "1\t0\t银航形常\n");
}

TEST(Cli, CharactersBeyondTheBasicPlane) {
    // 𠮷 U+20BB7, 𩸽 U+29E3D, 😀 U+1F600: whole, and two units each in the offsets.
    const struct { const char* args; const char* out; } cases[] = {
        {"prepare 𠮷了", "1\t0\t𠮷了\n"},
        {"prepare 'ab𩸽cd😀了 hello'", "0\t0\tab\n1\t2\t𩸽cd😀了 \n0\t10\thello\n"},
        {"prepare 银行𠮷行长", "1\t0\t银航𠮷形常\n"},
        {"readings 𠮷了", "𠮷\t-\n了\tle5\n"},
        {"pinyin 𩸽好", "𩸽\t-\n好\thǎo, hāo, hào\n"},
    };
    for (const auto& c : cases) {
        const CliRun r = Cli(kData + c.args);
        EXPECT_EQ(r.status, 0) << c.args;
        EXPECT_EQ(r.out, c.out) << c.args;
    }
    EXPECT_EQ(Cli(kData + "prepare -", "😀了").out, "1\t0\t😀了\n");
}

TEST(Cli, InformationPane) {
    const std::string hao = Cli(kData + "--lang 1 info 好").out;
    EXPECT_NE(hao.find("【分解】女子\n【笔顺】(折丿一)(折丨一)\n"), std::string::npos) << hao;
    const std::string tail = "GB码: BAC3    Unicode: 22909(597D)\n";
    EXPECT_EQ(hao.substr(hao.size() - std::min(hao.size(), tail.size())), tail);
    EXPECT_EQ(Cli(kData + "info 我们去银行").out.rfind("我们wǒ men we;", 0), 0u);
    EXPECT_NE(Cli(kData + "--lang 3 info 好").out.find("【Stroke Order】"), std::string::npos);
}

TEST(Cli, BadUsageAndInput) {
    for (const std::string& args : {std::string(""), std::string("readings"), kData + "nosuch text",
                                   std::string("--data"), kData + "readings a b", kData + "--lang 4 info a",
                                   kData + "--colour 1 info a"}) {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.out, "") << args;
    }
    EXPECT_EQ(Cli(kData + "readings -", "\\377\\376").status, 2);      // not UTF-8
    const std::string message = Cli("nosuch text", "", true).out;     // one line on standard error
    EXPECT_EQ(message.find("zhorvan-cli: "), 0u);
    EXPECT_EQ(message.find('\n'), message.size() - 1);
    EXPECT_EQ(Cli(kData + "big5 -", "\\355\\240\\200").status, 2);     // a surrogate
}

}  // namespace
