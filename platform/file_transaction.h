// The store of the engine's run: its result files as one transaction, written
// at the run's normal end or not at all, and copies of the small files it
// reads again and again (platform/read_cache.h).
//
// While the transaction is open, every TextOut create or append of a file
// whose name begins with one of its roots is held in memory, and the disk
// keeps the files as they were.  The commit first makes a journal durable
// that lists how to undo it (the size of each file appended to, each new
// file, each replacement written beside its file), then writes the files,
// makes them durable, puts the replacements in place and removes the
// journal.  An abnormal end drops what is held; a commit that fails undoes
// itself; a kill or power cut during a commit leaves the journal, and the
// next run's Recover undoes what it had written.  The one change an undo
// cannot take back is a replacement already renamed into place (a kill or a
// failed rename among the last steps): that file then holds its new, whole
// content while the appends and new files are undone; a rerun of the scan
// writes it again.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/file_store.h"
#include "platform/read_cache.h"

namespace tarn {

class RunFileStore : public FileStore {
  public:
    // Opens the transaction over the files whose names begin with one of
    // `roots`; `journal` is the journal's path, in a directory the run holds
    // locked, and every root lies in that directory.  A transaction still
    // open is dropped first.
    void Begin(const std::string& journal, const std::vector<std::string>& roots);

    // Writes every held file as above and closes the transaction; nothing
    // when no transaction is open.  A failure undoes the commit and raises
    // the run-time error.
    void Commit();

    // Drops the held files and closes the transaction (an abnormal end).
    void Abandon();

    // Undoes the changes listed in the journal that an interrupted commit
    // left at `journal` and removes it.  Returns the number of files restored
    // (0 when there is no journal, or when it was cut while it was written:
    // its commit had not begun to write).  The journal may name only files in
    // the result tree `tree`, a directory beside it (the instrument id),
    // reached without following a link below it.  Any other journal (one
    // naming anything else or leading through a link, one of another version,
    // one holding what no commit writes) touches nothing and raises the
    // run-time error naming the journal, which stays for the operator to look
    // at.  A change that cannot be undone raises the run-time error and keeps
    // the journal.
    [[nodiscard]] int Recover(const std::string& journal, const std::string& tree);

    StoredText Load(const std::string& path) override;
    void Loaded(const std::string& path, const struct stat& info, const std::string& text) override;
    int Create(const std::string& path) override;
    int Append(const std::string& path) override;
    void Write(int file, const std::string& text) override;
    void Written(unsigned long long device, unsigned long long inode) override;
    bool Holds(const std::string& path) override;

    struct HeldFile {
        std::string Path;       // name on disk (its existing spelling when it existed)
        bool Existed = false;   // on disk before the run
        bool Replaced = false;  // created by the run: Text is the whole content, else appended
        std::string Text;
        long long OriginalSize = 0;  // at the commit, of a file appended to
        bool Touched = false;        // the commit has begun to write it
    };

  private:
    bool Covered(const std::string& path) const;
    int Find(const std::string& path);
    int Add(const std::string& name, HeldFile file);
    void Clear();
    std::string JournalText() const;
    void WriteJournal(int journalDir);
    void TakeOriginalSizes();
    void ApplyAndPlace();
    bool Undo(const std::vector<HeldFile>& files);

    bool m_open = false;
    std::string m_journal;
    std::vector<std::string> m_roots;
    std::vector<HeldFile> m_files;
    std::unordered_map<std::string, int> m_byName;  // every name a writer used
    ReadCache m_cache;
};

}  // namespace tarn
