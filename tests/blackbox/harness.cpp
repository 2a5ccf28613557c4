#include "blackbox/harness.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#ifndef MIRELT_DEFAULT_ENGINE
#define MIRELT_DEFAULT_ENGINE "mirelt"
#endif

namespace blackbox {
namespace {

double now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::vector<std::string> splitOnSpaces(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string word;
    while (in >> word) words.push_back(word);
    return words;
}

// The child changes directory, so relative paths to existing files must become absolute.
std::string absolutePath(const std::string& word) {
    if (word.empty() || word[0] == '/' || word.find('/') == std::string::npos) return word;
    if (access(word.c_str(), F_OK) != 0) return word;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return word;
    return std::string(cwd) + "/" + word;
}

void writeFile(const std::string& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary);
    out << contents;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void removeTree(const std::string& path) {
    DIR* dir = opendir(path.c_str());
    if (dir) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            std::string full = path + "/" + name;
            struct stat info;
            if (lstat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
                removeTree(full);
            else
                unlink(full.c_str());
        }
        closedir(dir);
    }
    rmdir(path.c_str());
}

int decodeStatus(int raw) {
    if (WIFEXITED(raw)) return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
    return -1;
}

}  // namespace

double scaledTimeout(double seconds) {
    const char* scale = std::getenv("MIRELT_TIMEOUT_SCALE");
    double factor = scale ? std::atof(scale) : 1.0;
    return seconds * (factor > 0 ? factor : 1.0);
}

std::vector<std::string> engineCommand() {
    const char* fromEnv = std::getenv("MIRELT_ENGINE");
    std::vector<std::string> words = splitOnSpaces(fromEnv && *fromEnv ? fromEnv : MIRELT_DEFAULT_ENGINE);
    for (auto& word : words) word = absolutePath(word);
    return words;
}

EngineProcess::EngineProcess(const std::vector<std::string>& args, const FileMap& files) {
    signal(SIGPIPE, SIG_IGN);
    char pattern[] = "/tmp/mirelt-blackbox-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("cannot create scratch directory");
    scratchRoot_ = pattern;
    workDir_ = scratchRoot_ + "/run";
    mkdir(workDir_.c_str(), 0755);
    for (const auto& [name, contents] : files) writeFile(workDir_ + "/" + name, contents);

    std::vector<std::string> command = engineCommand();
    command.insert(command.end(), args.begin(), args.end());
    std::string errorPath = scratchRoot_ + "/stderr.txt";

    int input[2], output[2];
    // Close-on-exec, so a later child does not hold this child's stdin open past closeInput().
    if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot create pipes");
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("cannot fork");
    if (pid_ == 0) {
        dup2(input[0], 0);
        dup2(output[1], 1);
        int err = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err >= 0) dup2(err, 2);
        close(input[0]);
        close(input[1]);
        close(output[0]);
        close(output[1]);
        if (chdir(workDir_.c_str()) != 0) _exit(126);
        std::vector<char*> argv;
        for (auto& word : command) argv.push_back(word.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(input[0]);
    close(output[1]);
    toChild_ = input[1];
    fromChild_ = output[0];
    fcntl(fromChild_, F_SETFL, fcntl(fromChild_, F_GETFL) | O_NONBLOCK);
}

EngineProcess::~EngineProcess() {
    closeInput();
    if (!exited_ && pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (fromChild_ >= 0) close(fromChild_);
    if (!scratchRoot_.empty()) removeTree(scratchRoot_);
}

void EngineProcess::send(const std::string& line) { sendRaw(line + "\n"); }

void EngineProcess::sendRaw(const std::string& bytes) {
    size_t done = 0;
    while (toChild_ >= 0 && done < bytes.size()) {
        ssize_t wrote = write(toChild_, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) break;
        done += static_cast<size_t>(wrote);
    }
}

void EngineProcess::closeInput() {
    if (toChild_ >= 0) close(toChild_);
    toChild_ = -1;
}

void EngineProcess::takeLines() {
    size_t newline;
    while ((newline = partial_.find('\n')) != std::string::npos) {
        lines_.push_back(partial_.substr(0, newline));
        partial_.erase(0, newline + 1);
    }
}

// Reads what stdout offers until the deadline; false once stdout is closed or time is up.
bool EngineProcess::readMore(double deadline) {
    if (fromChild_ < 0) return false;
    double left = deadline - now();
    if (left <= 0) return false;
    pollfd waiting{fromChild_, POLLIN, 0};
    int ready = poll(&waiting, 1, static_cast<int>(std::min(left, 0.2) * 1000) + 1);
    if (ready <= 0) return true;
    char chunk[65536];
    ssize_t got = read(fromChild_, chunk, sizeof chunk);
    if (got > 0) {
        partial_.append(chunk, static_cast<size_t>(got));
        takeLines();
        return true;
    }
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return true;
    // End of stdout: keep an unterminated last line.
    if (!partial_.empty()) lines_.push_back(partial_);
    partial_.clear();
    close(fromChild_);
    fromChild_ = -1;
    return false;
}

bool EngineProcess::waitFor(const std::function<bool(const std::string&)>& match, double timeoutSeconds) {
    double deadline = now() + scaledTimeout(timeoutSeconds);
    for (;;) {
        for (; searchFrom_ < lines_.size(); ++searchFrom_) {
            if (match(lines_[searchFrom_])) {
                lastMatch_ = lines_[searchFrom_];
                matchEnd_ = ++searchFrom_;
                return true;
            }
        }
        if (!readMore(deadline)) return false;
    }
}

bool EngineProcess::waitForLine(const std::string& exact, double timeoutSeconds) {
    return waitFor([&](const std::string& line) { return line == exact; }, timeoutSeconds);
}

bool EngineProcess::waitForPrefix(const std::string& prefix, double timeoutSeconds) {
    return waitFor([&](const std::string& line) { return line.rfind(prefix, 0) == 0; }, timeoutSeconds);
}

bool EngineProcess::waitForRegex(const std::string& pattern, double timeoutSeconds) {
    std::regex expression(pattern);
    return waitFor([&](const std::string& line) { return std::regex_search(line, expression); },
                   timeoutSeconds);
}

int EngineProcess::waitExit(double timeoutSeconds) {
    if (exited_) return status_;
    double deadline = now() + scaledTimeout(timeoutSeconds);
    while (readMore(deadline)) {
    }
    for (;;) {
        int raw = 0;
        pid_t done = waitpid(pid_, &raw, WNOHANG);
        if (done == pid_) {
            exited_ = true;
            status_ = decodeStatus(raw);
            break;
        }
        if (now() >= deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            exited_ = true;
            status_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Drain anything left after the end.
    while (readMore(now() + 1.0)) {
    }
    return status_;
}

std::vector<std::string> EngineProcess::linesSinceMatch() const {
    return std::vector<std::string>(lines_.begin() + static_cast<std::ptrdiff_t>(matchEnd_), lines_.end());
}

std::string EngineProcess::output() const {
    std::string text;
    for (const auto& line : lines_) text += line + "\n";
    return text;
}

std::string EngineProcess::errorOutput() const { return slurp(scratchRoot_ + "/stderr.txt"); }

std::string EngineProcess::readFile(const std::string& name) const { return slurp(workDir_ + "/" + name); }

bool EngineProcess::fileExists(const std::string& name) const {
    return access((workDir_ + "/" + name).c_str(), F_OK) == 0;
}

std::vector<std::string> EngineProcess::listFiles() const {
    std::vector<std::string> names;
    if (DIR* dir = opendir(workDir_.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

RunResult runEngine(const std::vector<std::string>& args, const std::vector<std::string>& input,
                    const FileMap& files, double timeoutSeconds) {
    EngineProcess engine(args, files);
    for (const auto& line : input) engine.send(line);
    engine.closeInput();
    RunResult result;
    result.status = engine.waitExit(timeoutSeconds);
    result.lines = engine.lines();
    result.errorOutput = engine.errorOutput();
    for (const auto& name : engine.listFiles()) result.files[name] = engine.readFile(name);
    return result;
}

}  // namespace blackbox
