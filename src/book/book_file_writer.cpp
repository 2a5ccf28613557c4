#include "book/book_file_writer.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Permissions of a new book before the user's umask, as any new file gets them.
constexpr mode_t NEW_FILE_MODE = 0666;
// Links followed to reach the book; one more makes the chain a loop (the kernel's own bound).
constexpr int32_t MAX_LINK_HOPS = 40;

// Little-endian output that remembers whether every write succeeded.
class BookOutput {
public:
    explicit BookOutput(std::FILE* file) : file(file) {}

    void bytes(const void* data, size_t size) {
        if (ok && std::fwrite(data, 1, size, file) != size) ok = false;
    }
    void u8(uint8_t value) { bytes(&value, 1); }
    void u32(uint32_t value) {
        const unsigned char encoded[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                                          uint8_t(value >> 24)};
        bytes(encoded, sizeof encoded);
    }
    void u64(uint64_t value) {
        u32(uint32_t(value));
        u32(uint32_t(value >> 32));
    }

    bool ok = true;

private:
    std::FILE* file;
};

// Number of moves from `first` on that share its key.
size_t groupSize(const std::vector<BookFileMove>& moves, size_t first) {
    size_t end = first + 1;
    while (end < moves.size() && moves[end].key == moves[first].key) ++end;
    return end - first;
}

size_t countPositions(const std::vector<BookFileMove>& moves) {
    size_t positions = 0;
    for (size_t i = 0; i < moves.size(); i += groupSize(moves, i)) ++positions;
    return positions;
}

void writeContents(BookOutput& out, const std::vector<BookFileMove>& moves, int32_t positionCount) {
    out.bytes("BOOK", 4);
    out.u32(BOOK_VERSION);
    out.u32(uint32_t(positionCount));
    for (size_t first = 0; first < moves.size();) {
        const size_t count = groupSize(moves, first);
        out.u64(moves[first].key);
        out.u32(uint32_t(count));
        for (size_t i = first; i < first + count; ++i) {
            const BookMove& move = moves[i].move;
            out.u32(move.move);
            out.u32(uint32_t(move.weight));
            out.u8(move.whitePct);
            out.u8(move.blackPct);
        }
        first += count;
    }
}

// Permissions of a new book: what a plainly created file gets (mkstemp uses 0600).
mode_t newFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return NEW_FILE_MODE & ~mask;
}

// The file a book name stands for: symbolic links are followed, also to a target that does
// not exist yet, so the book is written through them. Empty for a chain that does not end.
std::string followLinks(const char* fileName) {
    std::string path = fileName;
    for (int32_t hop = 0;; ++hop) {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        if (hop == MAX_LINK_HOPS) return "";
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || size_t(length) >= sizeof target) return "";
        const std::string link(target, size_t(length));
        const size_t slash = path.rfind('/');
        // A relative target is read from the link's own folder.
        path = link[0] == '/' || slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
    }
}

// The mode the new book gets: an existing book keeps its own; false when the user may not
// write the existing book, which is then left as it is.
bool modeForBook(const std::string& target, mode_t& mode) {
    struct stat info;
    if (stat(target.c_str(), &info) != 0) {
        mode = newFileMode();
        return errno == ENOENT;
    }
    mode = info.st_mode & 07777;
    return access(target.c_str(), W_OK) == 0;
}

bool writeToDescriptor(int fd, const std::vector<BookFileMove>& moves, int32_t positionCount) {
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        close(fd);
        return false;
    }
    BookOutput out(file);
    writeContents(out, moves, positionCount);
    bool ok = out.ok && std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

}  // namespace

bool writeBookFile(const char* fileName, const std::vector<BookFileMove>& moves) {
    const size_t positions = countPositions(moves);
    if (positions > size_t(INT32_MAX)) return false;
    const std::string target = followLinks(fileName);
    mode_t mode = 0;
    if (target.empty() || !modeForBook(target, mode)) return false;
    std::string temporary = target + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return false;
    bool ok = fchmod(fd, mode) == 0;
    if (ok)
        ok = writeToDescriptor(fd, moves, int32_t(positions));
    else
        close(fd);
    if (ok) ok = std::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) unlink(temporary.c_str());
    return ok;
}
