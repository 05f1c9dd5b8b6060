// The I/O floor of one engine call: the same file work without any analysis.
//
//   io_floor --compile <strace log> <work directory> <operation file>
//       turns the log of one engine call, recorded in <work directory> with
//       strace -f -e trace=openat,read,write,close,mkdir,unlink,unlinkat,rename,
//       fdatasync,fsync,sync_file_range,flock -s 1048576 -xx -y,
//       into a compact operation file;
//   io_floor <operation file>
//       replays it in the current directory.
//
// The replay does what the engine's file work cannot do without: one whole read
// of each distinct file inside the work directory whose content the engine read
// (at the engine's first read of it), each directory creation, and every open
// for writing (create, append), every write with the engine's own bytes and
// every close, in the engine's order; writes to standard output and error are
// replayed too, and so are the making durable of files and directories, the
// removal and renaming of files and the locks of directories (the directory
// opened at its first lock or synchronisation).  Existence tests, case lookups,
// files outside the work directory (libraries, time zone) and the analysis
// itself are left out.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

enum Op : uint8_t {
    kRead = 'R',
    kOpen = 'O',
    kWrite = 'W',
    kClose = 'C',
    kMkdir = 'M',
    kSyncData = 'D',  // fdatasync
    kSync = 'S',      // fsync
    kStartWriteback = 'B',
    kLock = 'L',
    kUnlink = 'U',
    kRename = 'N',
};

[[noreturn]] void Die(const std::string& text) {
    std::fprintf(stderr, "io_floor: %s\n", text.c_str());
    std::exit(1);
}

// ---- compiling a strace log ------------------------------------------------

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decodes text made only of \xHH escapes (strace -xx).
std::string DecodeHex(const std::string& text, size_t line) {
    std::string out;
    out.reserve(text.size() / 4);
    for (size_t i = 0; i < text.size(); i += 4) {
        if (i + 3 >= text.size() || text[i] != '\\' || text[i + 1] != 'x')
            Die("log line " + std::to_string(line) + ": text not in \\xHH form");
        int hi = HexValue(text[i + 2]);
        int lo = HexValue(text[i + 3]);
        if (hi < 0 || lo < 0) Die("log line " + std::to_string(line) + ": bad hex digit");
        out.push_back(static_cast<char>(hi * 16 + lo));
    }
    return out;
}

// One decoded system call of the log.
struct Call {
    std::string name;
    std::vector<std::string> args;
    long long result = -1;
    std::string resultPath;  // the -y annotation of a returned descriptor
};

// "3<\x2f...>" -> 3; the annotation goes to `path` when asked for.
long long DescriptorOf(const std::string& text, std::string* path, size_t line) {
    size_t open = text.find('<');
    long long fd = std::strtoll(text.c_str(), nullptr, 10);
    if (path != nullptr && open != std::string::npos && text.back() == '>')
        *path = DecodeHex(text.substr(open + 1, text.size() - open - 2), line);
    return fd;
}

bool ParseCall(const std::string& text, size_t line, Call& call) {
    size_t i = 0;
    while (i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == ' '))
        ++i;
    size_t paren = text.find('(', i);
    size_t equals = text.rfind(") = ");
    if (paren == std::string::npos || equals == std::string::npos || equals < paren) return false;
    call.name = text.substr(i, paren - i);
    std::string args = text.substr(paren + 1, equals - paren - 1);
    call.args.clear();
    size_t start = 0;
    while (start <= args.size()) {
        size_t comma = args.find(", ", start);
        if (comma == std::string::npos) comma = args.size();
        call.args.push_back(args.substr(start, comma - start));
        start = comma + 2;
    }
    std::string result = text.substr(equals + 4);
    call.result = std::strtoll(result.c_str(), nullptr, 10);
    call.resultPath.clear();
    if (call.result >= 0) DescriptorOf(result.substr(0, result.find(' ')), &call.resultPath, line);
    return true;
}

// "\"\x61...\"" -> decoded text; false when strace cut the string short.
bool QuotedText(const std::string& arg, size_t line, std::string& out) {
    if (arg.size() < 2 || arg.front() != '"') Die("log line " + std::to_string(line) + ": no text");
    size_t close = arg.find('"', 1);
    if (close == std::string::npos) Die("log line " + std::to_string(line) + ": open text");
    out = DecodeHex(arg.substr(1, close - 1), line);
    return arg.compare(close, 4, "\"...") != 0;
}

int OpenFlags(const std::string& text) {
    int flags = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t bar = text.find('|', start);
        if (bar == std::string::npos) bar = text.size();
        std::string flag = text.substr(start, bar - start);
        if (flag == "O_WRONLY")
            flags |= O_WRONLY;
        else if (flag == "O_RDWR")
            flags |= O_RDWR;
        else if (flag == "O_CREAT")
            flags |= O_CREAT;
        else if (flag == "O_TRUNC")
            flags |= O_TRUNC;
        else if (flag == "O_APPEND")
            flags |= O_APPEND;
        else if (flag == "O_EXCL")
            flags |= O_EXCL;
        else if (flag == "O_DIRECTORY")
            flags |= O_DIRECTORY;
        start = bar + 1;
    }
    return flags;
}

class OpWriter {
  public:
    void Byte(uint8_t b) { m_data.push_back(static_cast<char>(b)); }
    void Word(uint32_t w) { m_data.append(reinterpret_cast<const char*>(&w), sizeof w); }
    void Text(const std::string& t) {
        Word(static_cast<uint32_t>(t.size()));
        m_data += t;
    }
    const std::string& Data() const { return m_data; }

  private:
    std::string m_data;
};

int Compile(const std::string& logName, std::string workDir, const std::string& opsName) {
    char real[PATH_MAX];
    if (realpath(workDir.c_str(), real) == nullptr) Die("no work directory " + workDir);
    workDir = std::string(real) + "/";
    std::ifstream log(logName);
    if (!log) Die("cannot read " + logName);

    // Relative name of a path inside the work directory; empty outside it.
    auto inside = [&](const std::string& path) -> std::string {
        if (path.compare(0, workDir.size(), workDir) == 0) return path.substr(workDir.size());
        return std::string();
    };

    OpWriter ops;
    size_t line = 0;
    std::map<long long, std::string> readers;      // descriptor -> relative name
    std::map<long long, std::string> directories;  // descriptor -> relative name, not yet opened
    std::set<long long> writers;
    // A directory descriptor is replayed from its first lock or synchronisation on.
    auto directoryUsed = [&](long long fd) {
        auto it = directories.find(fd);
        if (it == directories.end()) return writers.count(fd) != 0;
        ops.Byte(kOpen);
        ops.Word(static_cast<uint32_t>(fd));
        ops.Word(static_cast<uint32_t>(O_RDONLY | O_DIRECTORY));
        ops.Text(it->second);
        writers.insert(fd);
        directories.erase(it);
        return true;
    };
    // A path argument, relative to the work directory; empty outside it.
    auto pathArgument = [&](const std::string& arg) {
        std::string path;
        QuotedText(arg, line, path);
        if (!path.empty() && path[0] == '/') path = inside(path);
        return path;
    };
    std::set<std::string> alreadyRead;
    size_t opens = 0, writes = 0, reads = 0, bytes = 0;
    std::string text;
    while (std::getline(log, text)) {
        ++line;
        Call call;
        if (!ParseCall(text, line, call)) continue;
        if (call.name == "openat") {
            if (call.result < 0 || call.args.size() < 3) continue;
            std::string name = inside(call.resultPath);
            if (call.resultPath + "/" == workDir) name = ".";
            int flags = OpenFlags(call.args[2]);
            if (!name.empty() && (flags & O_DIRECTORY) != 0) directories[call.result] = name;
            if (name.empty() || (flags & O_DIRECTORY) != 0) continue;
            if ((flags & (O_WRONLY | O_RDWR)) != 0) {
                ops.Byte(kOpen);
                ops.Word(static_cast<uint32_t>(call.result));
                ops.Word(static_cast<uint32_t>(flags));
                ops.Text(name);
                writers.insert(call.result);
                ++opens;
            } else {
                readers[call.result] = name;
            }
        } else if (call.name == "read") {
            if (call.result <= 0 || call.args.empty()) continue;
            long long fd = DescriptorOf(call.args[0], nullptr, line);
            auto it = readers.find(fd);
            if (it == readers.end() || alreadyRead.count(it->second) != 0) continue;
            alreadyRead.insert(it->second);
            ops.Byte(kRead);
            ops.Text(it->second);
            ++reads;
        } else if (call.name == "write") {
            if (call.args.size() < 2) continue;
            long long fd = DescriptorOf(call.args[0], nullptr, line);
            if (fd > 2 && writers.count(fd) == 0) continue;
            std::string data;
            if (!QuotedText(call.args[1], line, data))
                Die("log line " + std::to_string(line) + ": write data cut short (raise -s)");
            if (call.result >= 0 && static_cast<size_t>(call.result) < data.size())
                data.resize(static_cast<size_t>(call.result));
            ops.Byte(kWrite);
            ops.Word(static_cast<uint32_t>(fd));
            ops.Text(data);
            ++writes;
            bytes += data.size();
        } else if (call.name == "close") {
            if (call.args.empty()) continue;
            long long fd = DescriptorOf(call.args[0], nullptr, line);
            readers.erase(fd);
            directories.erase(fd);
            if (writers.erase(fd) != 0) {
                ops.Byte(kClose);
                ops.Word(static_cast<uint32_t>(fd));
            }
        } else if (call.name == "mkdir") {
            if (call.args.empty()) continue;
            std::string path = pathArgument(call.args[0]);
            if (path.empty()) continue;
            ops.Byte(kMkdir);
            ops.Text(path);
        } else if (call.name == "fdatasync" || call.name == "fsync" ||
                   call.name == "sync_file_range" || call.name == "flock") {
            if (call.args.empty() || call.result != 0) continue;
            long long fd = DescriptorOf(call.args[0], nullptr, line);
            if (!directoryUsed(fd)) continue;
            ops.Byte(call.name == "fdatasync"         ? kSyncData
                     : call.name == "fsync"           ? kSync
                     : call.name == "sync_file_range" ? kStartWriteback
                                                      : kLock);
            ops.Word(static_cast<uint32_t>(fd));
        } else if (call.name == "unlink" || call.name == "unlinkat") {
            // unlinkat counts relative to the working directory only (the
            // engine removes its journal so); a run's recovery, which removes
            // through open directories, is no part of a normal day.
            const bool at = call.name == "unlinkat";
            if (call.args.size() < (at ? 2u : 1u) || call.result != 0) continue;
            if (at && call.args[0].compare(0, 8, "AT_FDCWD") != 0) continue;
            std::string path = pathArgument(call.args[at ? 1 : 0]);
            if (path.empty()) continue;
            ops.Byte(kUnlink);
            ops.Text(path);
        } else if (call.name == "rename") {
            if (call.args.size() < 2 || call.result != 0) continue;
            std::string from = pathArgument(call.args[0]), to = pathArgument(call.args[1]);
            if (from.empty() || to.empty()) continue;
            ops.Byte(kRename);
            ops.Text(from);
            ops.Text(to);
        }
    }
    std::ofstream out(opsName, std::ios::binary);
    out.write(ops.Data().data(), static_cast<std::streamsize>(ops.Data().size()));
    if (!out) Die("cannot write " + opsName);
    std::printf("%zu %zu %zu %zu\n", reads, opens, writes, bytes);
    return 0;
}

// ---- replaying -------------------------------------------------------------

class OpReader {
  public:
    explicit OpReader(const std::string& data) : m_data(data) {}
    bool AtEnd() const { return m_pos >= m_data.size(); }
    uint8_t Byte() { return static_cast<uint8_t>(m_data[m_pos++]); }
    uint32_t Word() {
        uint32_t w;
        std::memcpy(&w, m_data.data() + m_pos, sizeof w);
        m_pos += sizeof w;
        return w;
    }
    // Pointer and length of a text; the pointer stays valid while the data lives.
    const char* Text(uint32_t& length) {
        length = Word();
        const char* p = m_data.data() + m_pos;
        m_pos += length;
        return p;
    }

  private:
    const std::string& m_data;
    size_t m_pos = 0;
};

std::string ReadWhole(const char* name) {
    int fd = open(name, O_RDONLY);
    if (fd < 0) Die(std::string("cannot open ") + name + ": " + std::strerror(errno));
    struct stat info;
    if (fstat(fd, &info) != 0) Die(std::string("cannot stat ") + name);
    std::string data(static_cast<size_t>(info.st_size), '\0');
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = read(fd, &data[done], data.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    close(fd);
    data.resize(done);
    return data;
}

int Replay(const std::string& opsName) {
    const std::string data = ReadWhole(opsName.c_str());
    OpReader ops(data);
    std::string name;
    std::string buffer;
    int descriptors[4096];
    for (int& d : descriptors) d = -1;
    descriptors[1] = 1;
    descriptors[2] = 2;
    while (!ops.AtEnd()) {
        uint8_t op = ops.Byte();
        uint32_t length = 0;
        if (op == kRead) {
            const char* p = ops.Text(length);
            name.assign(p, length);
            int fd = open(name.c_str(), O_RDONLY);
            if (fd < 0) Die("cannot open " + name);
            struct stat info;
            if (fstat(fd, &info) != 0) Die("cannot stat " + name);
            if (buffer.size() < static_cast<size_t>(info.st_size) + 1)
                buffer.resize(static_cast<size_t>(info.st_size) + 1);
            size_t done = 0;
            ssize_t n;
            while ((n = read(fd, &buffer[done], buffer.size() - done)) > 0) {
                done += static_cast<size_t>(n);
                if (done == buffer.size()) buffer.resize(buffer.size() * 2);
            }
            close(fd);
        } else if (op == kOpen) {
            uint32_t slot = ops.Word();
            int flags = static_cast<int>(ops.Word());
            const char* p = ops.Text(length);
            name.assign(p, length);
            if (slot >= 4096) Die("descriptor out of range");
            // Without O_EXCL: a replay may run again in a directory it has filled.
            descriptors[slot] = open(name.c_str(), flags & ~O_EXCL, 0666);
            if (descriptors[slot] < 0) Die("cannot open " + name + ": " + std::strerror(errno));
        } else if (op == kWrite) {
            uint32_t slot = ops.Word();
            const char* p = ops.Text(length);
            if (slot >= 4096 || descriptors[slot] < 0) Die("write to a closed descriptor");
            while (length > 0) {
                ssize_t n = write(descriptors[slot], p, length);
                if (n <= 0) Die("write failed");
                p += n;
                length -= static_cast<uint32_t>(n);
            }
        } else if (op == kClose) {
            uint32_t slot = ops.Word();
            if (slot >= 4096 || descriptors[slot] < 0) Die("close of a closed descriptor");
            close(descriptors[slot]);
            descriptors[slot] = -1;
        } else if (op == kMkdir) {
            const char* p = ops.Text(length);
            name.assign(p, length);
            (void)mkdir(name.c_str(), 0777);
        } else if (op == kSyncData || op == kSync || op == kStartWriteback || op == kLock) {
            uint32_t slot = ops.Word();
            if (slot >= 4096 || descriptors[slot] < 0) Die("use of a closed descriptor");
            int fd = descriptors[slot];
            bool ok = op == kSyncData ? fdatasync(fd) == 0
                      : op == kSync   ? fsync(fd) == 0
                      : op == kLock   ? flock(fd, LOCK_EX) == 0
                                      : sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE) == 0;
            if (!ok) Die(std::string("synchronisation or lock failed: ") + std::strerror(errno));
        } else if (op == kUnlink) {
            const char* p = ops.Text(length);
            name.assign(p, length);
            (void)unlink(name.c_str());
        } else if (op == kRename) {
            const char* p = ops.Text(length);
            name.assign(p, length);
            p = ops.Text(length);
            std::string to(p, length);
            if (rename(name.c_str(), to.c_str()) != 0) Die("cannot rename " + name);
        } else {
            Die("bad operation file " + opsName);
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--compile") == 0)
        return Compile(argv[2], argv[3], argv[4]);
    if (argc == 2) return Replay(argv[1]);
    std::fprintf(stderr,
                 "usage: io_floor --compile <strace log> <work directory> <operation file>\n"
                 "       io_floor <operation file>\n");
    return 2;
}
