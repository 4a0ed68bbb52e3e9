// Runs the console front end on the data the build made.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "tests/support/scratch_folder.h"

namespace {

struct CliRun {
    std::string out;
    int status = -1;
};

// Runs zhorvan-cli with the arguments (shell words) and optional input; the
// output is standard output, or standard error when asked for. env: shell
// assignments put before the command ("PATH=/x").
CliRun Cli(const std::string& args, const std::string& input = "", bool errors = false, const std::string& env = "") {
    const std::string command = (input.empty() ? "" : "printf '%b' '" + input + "' | ") + env +
                                (env.empty() ? "" : " ") + ZH_CLI + std::string(" ") + args +
                                (errors ? " 2>&1 >/dev/null" : " 2>/dev/null");
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

// ---- speak and wav through espeak-ng, without a sound device ----

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::uint32_t Le(const std::string& s, size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(s[at + static_cast<size_t>(i)]);
    return v;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The samples of a 16-bit mono PCM WAV file whose sizes agree with its
// length, and its rate; empty when the file is not one.
std::string WavSamples(const std::string& wav, std::uint32_t* rate = nullptr) {
    if (wav.size() < 44 || wav.compare(0, 4, "RIFF") || wav.compare(8, 8, "WAVEfmt ") || wav.compare(36, 4, "data"))
        return "";
    if (Le(wav, 4, 4) != wav.size() - 8 || Le(wav, 20, 2) != 1 || Le(wav, 22, 2) != 1 || Le(wav, 34, 2) != 16 ||
        Le(wav, 40, 4) != wav.size() - 44)
        return "";
    if (rate) *rate = Le(wav, 24, 4);
    return wav.substr(44);
}

// The text of the one Chinese piece that prepare prints for text.
std::string PreparedPiece(const std::string& args) {
    const std::string out = Cli(kData + "prepare " + args).out;
    return out.rfind("1\t0\t", 0) == 0 && out.find('\n') == out.size() - 1 ? out.substr(4, out.size() - 5) : "";
}

class CliSpeech : public testing::Test {
protected:
    void SetUp() override {
        const CliRun probe = Cli(kData + "wav 你 " + folder_.File("probe.wav"), "", true);
        if (probe.status != 0) GTEST_SKIP() << "no speak and wav here: " << probe.out;
    }
    // The samples that wav writes for the arguments before the file name.
    std::string Wav(const std::string& args, std::uint32_t* rate = nullptr) {
        const std::string file = folder_.File("speech.wav");
        std::remove(file.c_str());
        const CliRun r = Cli(kData + "wav " + args + " " + file);
        EXPECT_EQ(r.status, 0) << args;
        return WavSamples(ReadBytes(file), rate);
    }
    ScratchFolder folder_{"zh-cli-speech"};
};

// wav --context says the representatives of the sentence's readings: the same
// sound as its prepared text written out, and another sound than without
// --context (乐 yue4 in 音乐 and 重 chong2 in 重庆, which the rules leave).
TEST_F(CliSpeech, WavWithContextSpeaksTheContextReadings) {
    for (const std::string text : {"我喜欢音乐。", "重庆很热"}) {
        const std::string withContext = PreparedPiece("--context " + text), plain = PreparedPiece(text);
        ASSERT_FALSE(withContext.empty() || plain.empty()) << text;
        ASSERT_NE(withContext, plain) << text;                       // the case is chosen so
        EXPECT_EQ(PreparedPiece(withContext), withContext) << text;  // prepared texts are spoken as they stand
        EXPECT_EQ(PreparedPiece(plain), plain) << text;

        std::uint32_t rate = 0;
        const std::string heard = Wav("--context " + text, &rate);
        ASSERT_GT(heard.size(), 0u) << text;
        EXPECT_GT(rate, 0u);
        EXPECT_TRUE(heard == Wav(withContext)) << text;
        const std::string heardPlain = Wav(text);
        EXPECT_TRUE(heardPlain == Wav(plain)) << text;
        EXPECT_FALSE(heard == heardPlain) << text;
    }
}

// speak --context plays the same sound through the player (a stand-in aplay
// that keeps what it is given) and shows the words as they are heard, each at
// its place in the text as written: the player is fed at the pace of the
// sound, so the words do not all come at once while a pipe takes the sound.
TEST_F(CliSpeech, SpeakWithContextPlaysItAndShowsTheWords) {
    const std::string text = "我喜欢音乐，也喜欢唱歌。";
    const std::vector<std::string> chars = {"我", "喜", "欢", "音", "乐", "，", "也", "喜", "欢", "唱", "歌", "。"};
    const int last = 10, han = 10;  // 歌
    std::uint32_t rate = 0;
    const auto wavStart = std::chrono::steady_clock::now();
    const std::string expected = Wav("--context " + text, &rate);
    const double wavSeconds = Seconds(wavStart);
    ASSERT_GT(expected.size(), 0u);

    {
        std::ofstream player(folder_.File("aplay"));
        player << "#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/args\"\ncat > \"$(dirname \"$0\")/pcm\"\n";
    }
    ASSERT_EQ(std::system(("chmod +x '" + folder_.File("aplay") + "'").c_str()), 0);
    const auto speakStart = std::chrono::steady_clock::now();
    const CliRun r = Cli(kData + "speak --context " + text, "", false, "PATH='" + folder_.Path() + "':\"$PATH\"");
    const double speakSeconds = Seconds(speakStart);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(ReadBytes(folder_.File("args")), "-q -t raw -f S16_LE -c 1 -r " + std::to_string(rate) + "\n");
    const std::string played = ReadBytes(folder_.File("pcm"));
    // The engine's start-up phrase comes first.
    ASSERT_GE(played.size(), expected.size());
    EXPECT_TRUE(played.compare(played.size() - expected.size(), expected.size(), expected) == 0);
    // The player takes the sound at once; speak waits for it to be heard, wav does not.
    const double sound = static_cast<double>(expected.size()) / (2.0 * rate);
    EXPECT_GT(speakSeconds - wavSeconds, sound / 2) << "speak " << speakSeconds << " s, wav " << wavSeconds << " s";

    // "position<TAB>word" lines, in order, each word at its place. A word is
    // shown when the event pump gets to its event: the words whose events came
    // together (one chunk of sound, or a busy machine) show the latest.
    const auto shownWords = [&](const std::string& out) {
        std::vector<int> shown;
        size_t at = 0;
        for (size_t end; (end = out.find('\n', at)) != std::string::npos; at = end + 1) {
            const std::string line = out.substr(at, end - at);
            const size_t tab = line.find('\t');
            EXPECT_NE(tab, std::string::npos) << out;
            const int pos = tab == std::string::npos ? -1 : std::stoi(line.substr(0, tab));
            if (pos < 0 || pos >= static_cast<int>(chars.size())) {
                ADD_FAILURE() << out;
                break;
            }
            EXPECT_EQ(line.substr(tab + 1), chars[static_cast<size_t>(pos)]) << out;
            EXPECT_TRUE(shown.empty() || pos >= shown.back()) << out;
            if (shown.empty() || pos != shown.back()) shown.push_back(pos);
        }
        return shown;
    };
    const std::vector<int> shown = shownWords(r.out);
    EXPECT_GE(shown.size(), static_cast<size_t>(han / 2)) << r.out;  // not all at once
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), last) << r.out;

    // Without a player nothing is heard; the words are shown all the same.
    const CliRun silent = Cli(kData + "speak --context " + text, "", false, "PATH=/nonexistent");
    EXPECT_EQ(silent.status, 0);
    const std::vector<int> silentShown = shownWords(silent.out);
    EXPECT_GE(silentShown.size(), static_cast<size_t>(han / 2)) << silent.out;
    EXPECT_TRUE(!silentShown.empty() && silentShown.back() == last) << silent.out;
    EXPECT_NE(Cli(kData + "speak 你", "", true, "PATH=/nonexistent").out.find("no sound player"), std::string::npos);
}

}  // namespace
