// Outputs never land on inputs. The files the program reads from (the open
// card or archive, the files a command was given) are held here by identity,
// and every writer of a file asks CheckOutputTarget before it creates one: a
// name, a hard link or a symbolic link that leads to a held file is refused.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace quovil {

// Which file a name leads to: device and inode (Windows: volume serial and
// file index).
struct FileIdentity {
  uint64_t device = 0;
  uint64_t file = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file a name leads to, links followed; nothing when the
// name leads nowhere.
std::optional<FileIdentity> IdentityOfName(const std::string& path);
#ifdef _WIN32
std::optional<FileIdentity> IdentityOfHandle(void* handle);
#else
std::optional<FileIdentity> IdentityOfDescriptor(int fd);
#endif

// Holds one file as an input of the program while it lives.
class HeldInput {
 public:
  HeldInput() = default;
  explicit HeldInput(std::optional<FileIdentity> id);
  explicit HeldInput(const std::string& path) : HeldInput(IdentityOfName(path)) {}
  ~HeldInput();
  HeldInput(const HeldInput&) = delete;
  HeldInput& operator=(const HeldInput&) = delete;

 private:
  std::optional<FileIdentity> id_;
};

// Whether id is held as an input right now.
bool IsHeldInput(const FileIdentity& id);

enum class OutputProblem {
  None,       // the name is free, or names a file that may be replaced
  OpenInput,  // the name leads to a file the program reads from
  Folder,     // the name is a folder, or ends with a path separator
  NotAFile,   // a pipe, socket or block device: writing there hangs or harms
};

// What stands against creating (or replacing) a file of this name.
OutputProblem CheckOutputTarget(const std::string& path);

// Whether the name is a folder or ends with a path separator. Naming rules
// that add an extension leave such a name as it is, for the check to refuse.
bool NamesFolder(const std::string& path);

// The text shown for a problem; empty for None.
std::string OutputProblemText(OutputProblem problem);

// Creates (or replaces) a binary file for writing once CheckOutputTarget has
// let it. Null with error set to the refusal's text or to the name and the
// system's reason.
std::FILE* CreateOutputFile(const std::string& path, std::string& error);

}  // namespace quovil
