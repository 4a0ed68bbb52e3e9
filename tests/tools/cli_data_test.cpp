// Where the console front end finds its data, and what it says when the data
// is missing or damaged. Runs the built console directly (no shell), so that
// the same tests run on Linux and, for the Windows program, under Wine.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "tests/support/scratch_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <sys/wait.h>
extern char** environ;
#endif

namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string out, err;  // line ends without '\r'
};

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

std::string Utf8(const fs::path& path) {
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

fs::path PathFromUtf8(const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); }

#ifdef _WIN32
std::wstring Wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

// One argument as CommandLineToArgvW splits it back.
std::wstring Quoted(const std::wstring& arg) {
    std::wstring out = L"\"";
    size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? 2 * slashes + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(2 * slashes, L'\\');
    return out + L"\"";
}

int Spawn(const fs::path& exe, const std::vector<std::string>& args, const fs::path& out, const fs::path& err) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const auto open = [&](const fs::path& p, bool write) {
        return CreateFileW(p.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE in = open(L"NUL", false), o = open(out, true), e = open(err, true);
    std::wstring line = Quoted(exe.wstring());
    for (const std::string& a : args) line += L" " + Quoted(Wide(a));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = o;
    si.hStdError = e;
    PROCESS_INFORMATION pi{};
    int status = -1;
    if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(pi.hProcess, &code)) status = static_cast<int>(code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    for (HANDLE h : {in, o, e})
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return status;
}
#else
int Spawn(const fs::path& exe, const std::vector<std::string>& args, const fs::path& out, const fs::path& err) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::string program = exe.string();
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int wait = 0;
        if (waitpid(pid, &wait, 0) == pid && WIFEXITED(wait)) status = WEXITSTATUS(wait);
    }
    posix_spawn_file_actions_destroy(&actions);
    return status;
}
#endif

// A scratch folder's own name and a sub-folder, as the console writes a
// folder it looked in: with a separator at the end. The name is unique, so
// it can be recognised whatever form the temporary folder's path takes.
std::string Named(const ScratchFolder& folder, const char* sub) {
    const std::string sep(1, static_cast<char>(fs::path::preferred_separator));
    return fs::path(folder.Path()).filename().string() + sep + sub + sep;
}

fs::path PathOf(const ScratchFolder& folder) { return fs::path(folder.Path()); }

CliRun RunCli(const fs::path& exe, const std::vector<std::string>& args) {
    static ScratchFolder outputs("zh-cli-data");
    const fs::path out = PathOf(outputs) / "out.txt", err = PathOf(outputs) / "err.txt";
    CliRun r;
    r.status = Spawn(exe, args, out, err);
    r.out = ReadText(out);
    r.err = ReadText(err);
    return r;
}

const fs::path kCli = PathFromUtf8(ZH_CLI);
const fs::path kData = PathFromUtf8(ZH_DATA_DIR);

void CopyDataFile(const char* name, const fs::path& folder) {
    fs::create_directories(folder);
    fs::copy_file(kData / name, folder / name, fs::copy_options::overwrite_existing);
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The one line on standard error: "zhorvan-cli: ...\n" and nothing more.
void ExpectOneLine(const CliRun& r, const std::string& what) {
    EXPECT_EQ(r.err.rfind("zhorvan-cli: ", 0), 0u) << what << ": " << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << what << ": " << r.err;
}

// The file names after the label ("missing", "damaged"), up to "; " or the end of the line.
std::set<std::string> Listed(const std::string& line, const std::string& label) {
    std::set<std::string> names;
    size_t at = line.find(label + " ");
    if (at == std::string::npos) return names;
    at += label.size() + 1;
    const size_t end = std::min(line.find("; ", at), line.find('\n', at));
    const std::string list = line.substr(at, end == std::string::npos ? std::string::npos : end - at);
    for (size_t from = 0; from <= list.size();) {
        const size_t comma = std::min(list.find(", ", from), list.size());
        names.insert(list.substr(from, comma - from));
        from = comma + 2;
    }
    return names;
}

TEST(CliData, TheBuiltConsoleFindsTheBuildTreesData) {
    std::error_code ec;
    if (!fs::equivalent(kCli.parent_path().parent_path() / "data", kData, ec))
        GTEST_SKIP() << "this tree keeps no data of its own; it uses " << ZH_DATA_DIR;
    const CliRun r = RunCli(kCli, {"big5", "关系"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "關係\n");
    EXPECT_EQ(r.err, "");
    const CliRun info = RunCli(kCli, {"info", "银行"});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("【Definition】 bank"), std::string::npos) << info.out;
}

// A copy of the console in tools/ of a scratch folder: the folder beside it
// comes first, then data/ of the parent folder, and --data overrides both.
TEST(CliData, LooksBesideTheProgramThenInTheParentsDataFolder) {
    ScratchFolder tree("zh-cli-data");
    const fs::path tools = PathOf(tree) / "tools", data = PathOf(tree) / "data";
    fs::create_directories(tools);
    const fs::path cli = tools / kCli.filename();
    fs::copy_file(kCli, cli);
    fs::permissions(cli, fs::perms::owner_exec, fs::perm_options::add);

    const CliRun none = RunCli(cli, {"big5", "关系"});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.out, "");
    ExpectOneLine(none, "no data");
    EXPECT_NE(none.err.find(Named(tree, "tools")), std::string::npos) << none.err;
    EXPECT_NE(none.err.find(Named(tree, "data")), std::string::npos) << none.err;
    EXPECT_EQ(Listed(none.err, "missing"), std::set<std::string>{"gbk2b5.bin"}) << none.err;

    CopyDataFile("gbk2b5.bin", data);
    const CliRun parent = RunCli(cli, {"big5", "关系"});
    EXPECT_EQ(parent.status, 0) << parent.err;
    EXPECT_EQ(parent.out, "關係\n");

    // A table beside the program is chosen even when it is damaged.
    WriteFile(tools / "gbk2b5.bin", "not a table");
    const CliRun beside = RunCli(cli, {"big5", "关系"});
    EXPECT_EQ(beside.status, 2);
    EXPECT_EQ(beside.out, "");
    ExpectOneLine(beside, "damaged beside");
    EXPECT_NE(beside.err.find(Named(tree, "tools")), std::string::npos) << beside.err;
    EXPECT_EQ(beside.err.find(Named(tree, "data")), std::string::npos) << beside.err;
    EXPECT_EQ(Listed(beside.err, "damaged"), std::set<std::string>{"gbk2b5.bin"}) << beside.err;

    const CliRun given = RunCli(cli, {"--data", Utf8(data), "big5", "关系"});
    EXPECT_EQ(given.status, 0) << given.err;
    EXPECT_EQ(given.out, "關係\n");
}

const std::set<std::string> kLexiconFiles = {
    "ch2pypz1.bin",    "ch2pypz2.bin",        "ch2py.bin", "ZiDef.dic",    "zi_ordered_by_usage.txt",
    "ZiPartsStd2.dat", "ZiPartsBaseStd2.dat", "sort.dic",  "cedict_ts.u8",
};
const std::set<std::string> kReadingFiles = {"ch2pypz1.bin", "ch2pypz2.bin", "ch2py.bin"};

TEST(CliData, EveryCommandNamesTheFilesMissingFromTheGivenFolder) {
    ScratchFolder empty("zh-cli-data");
    const std::string folder = Utf8(PathOf(empty));
    const struct {
        const char* command;
        const std::set<std::string>& files;
    } cases[] = {
        {"segment", kLexiconFiles},  {"pinyin", kLexiconFiles},  {"info", kLexiconFiles},
        {"readings", kReadingFiles}, {"prepare", kReadingFiles}, {"big5", {"gbk2b5.bin"}},
    };
    for (const auto& c : cases) {
        const CliRun r = RunCli(kCli, {"--data", folder, c.command, "好"});
        EXPECT_EQ(r.status, 2) << c.command;
        EXPECT_EQ(r.out, "") << c.command;
        ExpectOneLine(r, c.command);
        EXPECT_NE(r.err.find(folder), std::string::npos) << c.command << ": " << r.err;
        EXPECT_EQ(Listed(r.err, "missing"), c.files) << c.command << ": " << r.err;
        EXPECT_EQ(r.err.find("damaged"), std::string::npos) << c.command << ": " << r.err;
    }
}

// A copy of the data without the word list: the word cache stands in for it.
TEST(CliData, ADamagedFileIsNamedAndNothingIsPrinted) {
    ScratchFolder copy("zh-cli-data");
    const std::string folder = Utf8(PathOf(copy));
    for (const char* name : {"ch2pypz1.bin", "ch2pypz2.bin", "ch2py.bin", "ZiDef.dic", "zi_ordered_by_usage.txt",
                             "ZiPartsStd2.dat", "ZiPartsBaseStd2.dat", "sort.dic", "workdata2.bin", "gbk2b5.bin"})
        CopyDataFile(name, PathOf(copy));
    for (const char* command : {"info", "readings", "big5"}) {
        const CliRun whole = RunCli(kCli, {"--data", folder, command, "好"});
        EXPECT_EQ(whole.status, 0) << command << ": " << whole.err;
        EXPECT_EQ(whole.err, "") << command;
    }

    const struct {
        const char* file;
        size_t keep;              // the first bytes kept, or
        const char* replacement;  // the whole file
        const char* command;
    } cases[] = {
        {"gbk2b5.bin", 1000, nullptr, "big5"},
        {"ch2pypz2.bin", 5001, nullptr, "readings"},
        {"ch2pypz1.bin", 0, "garbage\xff\xff\xff\xff", "prepare"},
        {"ch2py.bin", 0, "\xff\xff\xff\xff", "info"},
    };
    for (const auto& c : cases) {
        const std::string what = std::string(c.file) + " for " + c.command;
        std::ifstream in(kData / c.file, std::ios::binary);
        const std::string original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_GT(original.size(), c.keep) << what;
        WriteFile(PathOf(copy) / c.file, c.replacement ? std::string(c.replacement) : original.substr(0, c.keep));
        const CliRun r = RunCli(kCli, {"--data", folder, c.command, "好"});
        EXPECT_EQ(r.status, 2) << what;
        EXPECT_EQ(r.out, "") << what;
        ExpectOneLine(r, what);
        EXPECT_NE(r.err.find(folder), std::string::npos) << what << ": " << r.err;
        EXPECT_EQ(Listed(r.err, "damaged"), std::set<std::string>{c.file}) << what << ": " << r.err;
        EXPECT_EQ(r.err.find("missing"), std::string::npos) << what << ": " << r.err;
        WriteFile(PathOf(copy) / c.file, original);
    }
}

}  // namespace

namespace {

// readings --context: the model's choice; with the model damaged, one line
// names it and the words and rules still decide.
TEST(CliData, ContextReadingsSurviveADamagedModel) {
    ScratchFolder copy("zh-cli-context");
    const std::string folder = Utf8(PathOf(copy));
    for (const char* name : {"ch2pypz1.bin", "ch2pypz2.bin", "ch2py.bin", "workdata2.bin", "polyphone.bin"})
        CopyDataFile(name, PathOf(copy));
    const CliRun whole = RunCli(kCli, {"--data", folder, "readings", "--context", "我喜欢音乐。"});
    EXPECT_EQ(whole.status, 0) << whole.err;
    EXPECT_EQ(whole.err, "");
    EXPECT_NE(whole.out.find("乐\tyue4"), std::string::npos) << whole.out;
    const CliRun plain = RunCli(kCli, {"--data", folder, "readings", "我喜欢音乐。"});
    EXPECT_NE(plain.out.find("乐\t-"), std::string::npos) << plain.out;
    // The speech engine with ContextReadings=1: 乐 yue4 goes to the voice as its representative.
    EXPECT_EQ(RunCli(kCli, {"--data", folder, "prepare", "我喜欢音乐。"}).out, "1\t0\t我喜欢音乐。\n");
    const CliRun spoken = RunCli(kCli, {"--data", folder, "prepare", "--context", "我喜欢音乐。"});
    EXPECT_EQ(spoken.out.rfind("1\t0\t我喜欢音", 0), 0u) << spoken.out;
    EXPECT_EQ(spoken.out.find("乐"), std::string::npos) << spoken.out;

    std::ifstream in(kData / "polyphone.bin", std::ios::binary);
    const std::string model((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    WriteFile(PathOf(copy) / "polyphone.bin", model.substr(0, model.size() / 2));
    const CliRun damaged = RunCli(kCli, {"--data", folder, "readings", "--context", "我喜欢音乐。"});
    EXPECT_EQ(damaged.status, 0) << damaged.err;
    EXPECT_NE(damaged.err.find("polyphone model is not used"), std::string::npos) << damaged.err;
    EXPECT_NE(damaged.err.find("truncated"), std::string::npos) << damaged.err;
    EXPECT_NE(damaged.out.find("乐\tyue4"), std::string::npos) << damaged.out;  // the word 音乐
}

}  // namespace
