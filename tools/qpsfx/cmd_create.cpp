// qpsfx create: packs files and folders into a new SFX file: the embedded stub,
// the configuration block and a ZIP archive that the stub's forward walk reads
// and that every ZIP reader accepts as it stands.
#include <dirent.h>
#include <errno.h>
#include <libdeflate.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zopfli/zopfli.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <deque>
#include <future>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tools/qpsfx/commands.h"
#include "tools/qpsfx/config_options.h"
#include "tools/qpsfx/entry_names.h"
#include "tools/qpsfx/sfx_writer.h"
#include "tools/qpsfx/stub_image.h"
#include "tools/qpsfx/zip_crypt.h"
#include "tools/qpsfx/zip_format.h"

namespace {

// The stub's password prompt reads into an 80-byte buffer.
const size_t kMaxPasswordLength = 79;
const uint64_t kMaxFileSize = 0x7FFFFFFF;

struct CreateOptions {
  std::string output;
  std::vector<std::string> paths;
  std::string directory;
  int level = 12;
  bool best = false;
  int iterations = 15;
  std::string password;
  bool hasSeed = false;
  uint64_t seed = 0;
  std::string mtime;
  int jobs = 0;
  bool quiet = false;
  bool dryRun = false;
  ConfigOptions config;
};

struct Source {
  std::string path;  // as opened, relative to the working folder
  std::string name;  // the entry name; folders end in '/'
  bool isFolder = false;
  uint64_t size = 0;
  int64_t mtime = 0;
};

// Thrown inside this file only, to give up with a message and an exit code.
struct Refusal {
  int code;
  std::string message;
};

[[noreturn]] void Refuse(const std::string& message, int code = kExitBadInput) {
  throw Refusal{code, message};
}

// The entry name a command-line path stands for: its components without "."
// and empty ones. Absolute paths and ".." are refused: the name would not stay
// inside the extraction folder, and -C gives the same files relative names.
std::string BaseName(const std::string& arg) {
  if (arg.empty()) Refuse("an empty path names no file");
  if (arg[0] == '/') {
    Refuse("cannot pack " + arg +
           ": the entry name would be absolute; use -C DIR and a path relative to it");
  }
  std::string name;
  size_t start = 0;
  while (start <= arg.size()) {
    size_t end = arg.find('/', start);
    if (end == std::string::npos) end = arg.size();
    std::string part = arg.substr(start, end - start);
    if (part == "..") {
      Refuse("cannot pack " + arg +
             ": the entry name would hold a \"..\" component; use -C DIR and a path "
             "relative to it");
    }
    if (!part.empty() && part != ".") name += (name.empty() ? "" : "/") + part;
    start = end + 1;
  }
  return name;
}

class SourceCollector {
 public:
  explicit SourceCollector(const std::string& output) {
    struct stat st;
    if (stat(output.c_str(), &st) == 0) {
      hasOutput_ = true;
      outputDev_ = st.st_dev;
      outputIno_ = st.st_ino;
    }
  }

  void Add(const std::string& arg) {
    std::string name = BaseName(arg);
    Visit(arg, name);
  }

  std::vector<Source>& sources() { return sources_; }

 private:
  void Visit(const std::string& path, const std::string& name) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) Refuse("cannot read " + path + ": " + strerror(errno));
    if (S_ISDIR(st.st_mode)) {
      VisitFolder(path, name, st);
    } else if (S_ISREG(st.st_mode)) {
      if (hasOutput_ && st.st_dev == outputDev_ && st.st_ino == outputIno_) return;
      if (static_cast<uint64_t>(st.st_size) > kMaxFileSize - 1) {
        Refuse("cannot pack " + path + ": it is " + std::to_string(st.st_size) +
               " bytes; the stub reads files below 2 GiB only");
      }
      if (name.empty()) Refuse("cannot pack " + path + ": its entry name would be empty");
      sources_.push_back(Source{path, name, false, static_cast<uint64_t>(st.st_size),
                                static_cast<int64_t>(st.st_mtime)});
    } else {
      Refuse("cannot pack " + path + ": it is neither a file nor a folder");
    }
  }

  void VisitFolder(const std::string& path, const std::string& name, const struct stat& st) {
    auto id = std::make_pair(st.st_dev, st.st_ino);
    if (!ancestors_.insert(id).second) {
      Refuse("cannot pack " + path + ": a symbolic link leads back into a folder above it");
    }
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr) Refuse("cannot read " + path + ": " + strerror(errno));
    std::vector<std::string> children;
    while (struct dirent* entry = readdir(dir)) {
      if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) {
        children.push_back(entry->d_name);
      }
    }
    closedir(dir);
    std::sort(children.begin(), children.end());
    size_t before = sources_.size();
    std::string prefix = path == "/" ? path : path + "/";
    for (const std::string& child : children) {
      Visit(prefix + child, name.empty() ? child : name + "/" + child);
    }
    // A folder with nothing packed below it needs an entry of its own to exist after
    // extraction; the others are made from the paths of their files.
    if (sources_.size() == before && !name.empty()) {
      sources_.push_back(Source{path, name + "/", true, 0, static_cast<int64_t>(st.st_mtime)});
    }
    ancestors_.erase(id);
  }

  std::vector<Source> sources_;
  std::set<std::pair<dev_t, ino_t>> ancestors_;
  bool hasOutput_ = false;
  dev_t outputDev_ = 0;
  ino_t outputIno_ = 0;
};

// Refuses names the stub cannot write and names that come twice. Names that only
// Windows takes for the same file (letter case) are allowed with a warning:
// packing them is not wrong, but extracting there keeps one of the files.
void CheckNames(const std::vector<Source>& sources) {
  std::map<std::string, const Source*> names;  // folder entries without their '/'
  std::map<std::string, const Source*> foldedNames;
  std::map<std::string, const Source*> folders;  // every folder above an entry
  std::map<std::string, const Source*> foldedFolders;
  auto warn = [](const Source& one, const Source& other) {
    fprintf(stderr,
            "qpsfx create: warning: %s and %s are the same on Windows, where only one of them "
            "can be extracted\n",
            one.name.c_str(), other.name.c_str());
  };
  for (const Source& source : sources) {
    std::string name =
        source.isFolder ? source.name.substr(0, source.name.size() - 1) : source.name;
    std::string reason = UnwritableNameReason(name);
    if (!reason.empty()) Refuse("cannot pack " + source.path + ": " + reason + ": " + name);
    auto added = names.emplace(name, &source);
    if (!added.second) {
      Refuse("cannot pack " + source.path + ": its entry name " + name + " is also that of " +
             added.first->second->path);
    }
    auto folded = foldedNames.emplace(FoldCase(name), &source);
    if (!folded.second) warn(source, *folded.first->second);
    for (size_t slash = name.find('/'); slash != std::string::npos;
         slash = name.find('/', slash + 1)) {
      folders.emplace(name.substr(0, slash), &source);
      foldedFolders.emplace(FoldCase(name.substr(0, slash)), &source);
    }
  }
  for (const auto& entry : names) {
    if (entry.second->isFolder) continue;
    auto folder = folders.find(entry.first);
    if (folder != folders.end()) {
      Refuse("cannot pack " + entry.second->path + ": its entry name " + entry.first +
             " is also the folder of " + folder->second->name);
    }
    auto folded = foldedFolders.find(FoldCase(entry.first));
    if (folded != foldedFolders.end()) warn(*entry.second, *folded->second);
  }
}

std::string ReadWholeFile(const Source& source) {
  FILE* file = fopen(source.path.c_str(), "rb");
  if (file == nullptr) Refuse("cannot read " + source.path + ": " + strerror(errno));
  std::string data;
  data.resize(source.size);
  size_t got = data.empty() ? 0 : fread(&data[0], 1, data.size(), file);
  data.resize(got);
  // The file may have grown since it was listed; take all of it or refuse.
  char more[65536];
  size_t extra;
  while ((extra = fread(more, 1, sizeof more, file)) > 0) {
    data.append(more, extra);
    if (data.size() > kMaxFileSize - 1) {
      fclose(file);
      Refuse("cannot pack " + source.path + ": it grew to 2 GiB or more while being read");
    }
  }
  bool failed = ferror(file) != 0;
  fclose(file);
  if (failed) Refuse("cannot read " + source.path + ": " + strerror(errno));
  return data;
}

struct PackSettings {
  int level;
  bool best;
  int iterations;
  std::string password;
  bool fixedTime;
  DosDateTime time;
};

struct PackedEntry {
  EntryFields fields;
  std::string data;
  uint64_t inputSize = 0;
  bool failed = false;
  Refusal refusal;
};

// Deflate with libdeflate (and zopfli with --best), kept only when smaller than
// the data itself.
bool Compress(const std::string& data, const PackSettings& settings, std::string& out) {
  if (settings.level == 0 || data.size() < 2) return false;
  out.resize(data.size() - 1);
  libdeflate_compressor* compressor = libdeflate_alloc_compressor(settings.level);
  if (compressor == nullptr) Refuse("out of memory", kExitFailed);
  size_t size =
      libdeflate_deflate_compress(compressor, data.data(), data.size(), &out[0], out.size());
  libdeflate_free_compressor(compressor);
  out.resize(size);
  if (settings.best) {
    ZopfliOptions options;
    ZopfliInitOptions(&options);
    options.numiterations = settings.iterations;
    unsigned char* zopfli = nullptr;
    size_t zopfliSize = 0;
    ZopfliCompress(&options, ZOPFLI_FORMAT_DEFLATE,
                   reinterpret_cast<const unsigned char*>(data.data()), data.size(), &zopfli,
                   &zopfliSize);
    if (zopfliSize > 0 && zopfliSize < data.size() && (size == 0 || zopfliSize < size)) {
      out.assign(reinterpret_cast<char*>(zopfli), zopfliSize);
      size = zopfliSize;
    }
    free(zopfli);
  }
  return size > 0;
}

PackedEntry PackSource(const Source& source, const PackSettings& settings,
                       const std::array<unsigned char, 11>& headerRandom) {
  PackedEntry packed;
  try {
    EntryFields& fields = packed.fields;
    fields.name = source.name;
    DosDateTime time = settings.fixedTime ? settings.time : DosTimeFromUnix(source.mtime, false);
    fields.modTime = time.time;
    fields.modDate = time.date;
    fields.versionNeeded = 10;
    if (source.isFolder) {
      fields.versionNeeded = 20;
      fields.externalAttributes = 0x10;  // FILE_ATTRIBUTE_DIRECTORY
      return packed;
    }
    std::string data = ReadWholeFile(source);
    packed.inputSize = data.size();
    fields.crc32 = libdeflate_crc32(0, data.data(), data.size());
    fields.uncompressedSize = static_cast<uint32_t>(data.size());
    std::string deflated;
    if (Compress(data, settings, deflated)) {
      fields.method = 8;
      fields.versionNeeded = 20;
      data.swap(deflated);
    }
    if (!settings.password.empty()) {
      unsigned char random[11];
      std::copy(headerRandom.begin(), headerRandom.end(), random);
      data = EncryptEntryData(data, settings.password, static_cast<uint8_t>(fields.crc32 >> 24),
                              random);
      fields.flags |= kFlagEncrypted;
      fields.versionNeeded = 20;
    }
    fields.compressedSize = static_cast<uint32_t>(data.size());
    packed.data.swap(data);
  } catch (const Refusal& refusal) {
    packed.failed = true;
    packed.refusal = refusal;
  }
  return packed;
}

// A progress line on a terminal, once packing has taken more than a moment.
class Progress {
 public:
  Progress(bool enabled, size_t entries, uint64_t bytes)
      : enabled_(enabled && isatty(STDERR_FILENO)),
        entries_(entries),
        bytes_(bytes),
        start_(Clock::now()),
        last_(start_) {}
  void Update(size_t entriesDone, uint64_t bytesDone) {
    if (!enabled_) return;
    Clock::time_point now = Clock::now();
    if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(200)) {
      return;
    }
    last_ = now;
    shown_ = true;
    fprintf(stderr, "\r%zu of %zu entries, %.1f of %.1f MB packed", entriesDone, entries_,
            bytesDone / 1e6, bytes_ / 1e6);
    fflush(stderr);
  }
  void Clear() {
    if (shown_) fprintf(stderr, "\r\033[K");
    shown_ = false;
  }

 private:
  using Clock = std::chrono::steady_clock;
  bool enabled_;
  size_t entries_;
  uint64_t bytes_;
  Clock::time_point start_;
  Clock::time_point last_;
  bool shown_ = false;
};

PackSettings MakeSettings(const CreateOptions& options) {
  PackSettings settings{options.level,    options.best, options.iterations,
                        options.password, false,        DosDateTime{0, 0}};
  if (!options.password.empty() && options.password.size() > kMaxPasswordLength) {
    Refuse("the password is " + std::to_string(options.password.size()) +
           " bytes long; the stub's password prompt takes at most 79");
  }
  if (!options.mtime.empty()) {
    if (!ParseDosTime(options.mtime, settings.time)) {
      Refuse("--mtime " + options.mtime +
             ": give seconds since 1970 or YYYY-MM-DD[ HH:MM[:SS]], between 1980 and 2107");
    }
    settings.fixedTime = true;
  } else if (const char* epoch = getenv("SOURCE_DATE_EPOCH")) {
    if (!ParseDosTime(epoch, settings.time) || std::string(epoch).find('-') != std::string::npos) {
      Refuse(std::string("SOURCE_DATE_EPOCH=") + epoch +
             " is not a count of seconds between 1980 and 2107");
    }
    settings.fixedTime = true;
  }
  return settings;
}

void DryRun(const std::vector<Source>& sources, const std::string& block) {
  uint64_t total = 0;
  for (const Source& source : sources) {
    if (source.isFolder) {
      printf("%12s  %s\n", "folder", source.name.c_str());
    } else {
      printf("%12llu  %s\n", static_cast<unsigned long long>(source.size), source.name.c_str());
    }
    total += source.size;
  }
  printf("%zu entries, %llu bytes, %s\n", sources.size(), static_cast<unsigned long long>(total),
         block.empty() ? "no configuration block" : "with a configuration block");
}

int RunCreate(const CreateOptions& options) {
  std::string block;
  std::string error;
  if (!MakeConfigBlock(options.config, block, error)) Refuse(error);
  PackSettings settings = MakeSettings(options);
  std::string output = options.output;
  if (!options.directory.empty()) {
    // -C moves the PATHs only: the output stays where the caller named it.
    if (output[0] != '/') {
      char* cwd = getcwd(nullptr, 0);
      if (cwd == nullptr) Refuse(std::string("cannot tell the current folder: ") + strerror(errno));
      output = std::string(cwd) + "/" + output;
      free(cwd);
    }
  }
  if (!options.directory.empty() && chdir(options.directory.c_str()) != 0) {
    Refuse("cannot enter " + options.directory + ": " + strerror(errno));
  }
  SourceCollector collector(output);
  for (const std::string& path : options.paths) collector.Add(path);
  std::vector<Source>& sources = collector.sources();
  CheckNames(sources);
  // The stub would only say "Cannot read archive header" to the user.
  if (sources.empty()) Refuse("nothing to pack: the PATHs hold no file and no folder");
  if (options.dryRun) {
    DryRun(sources, block);
    return kExitOk;
  }

  uint64_t inputBytes = 0;
  for (const Source& source : sources) inputBytes += source.size;
  HeaderRandom random = options.hasSeed ? HeaderRandom(options.seed) : HeaderRandom();
  SfxWriter writer;
  if (!writer.Open(output, block, error)) Refuse(error, kExitFailed);
  Progress progress(!options.quiet, sources.size(), inputBytes);

  // Entries are packed on several threads and written in their fixed order; the
  // random bytes of the encryption headers are drawn in that order too.
  size_t jobs = options.jobs > 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
  // Each entry in flight holds its whole file; the budget keeps a few large files
  // from being held at once, while one entry of any size is always let through.
  const uint64_t kInFlightBudget = uint64_t(512) << 20;
  std::deque<std::future<PackedEntry>> pending;
  uint64_t inFlight = 0;
  size_t next = 0;
  uint64_t bytesDone = 0;
  for (size_t written = 0; written < sources.size(); ++written) {
    while (next < sources.size() && pending.size() < jobs * 2 &&
           (pending.empty() || inFlight + sources[next].size <= kInFlightBudget)) {
      std::array<unsigned char, 11> headerRandom{};
      if (!settings.password.empty() && !sources[next].isFolder &&
          !random.Fill(headerRandom.data(), headerRandom.size())) {
        Refuse("the system's random source failed", kExitFailed);
      }
      pending.push_back(std::async(jobs > 1 ? std::launch::async : std::launch::deferred,
                                   PackSource, std::cref(sources[next]), std::cref(settings),
                                   headerRandom));
      inFlight += sources[next].size;
      ++next;
    }
    PackedEntry packed = pending.front().get();
    pending.pop_front();
    inFlight -= sources[written].size;
    if (packed.failed) {
      progress.Clear();
      throw packed.refusal;
    }
    uint64_t offset = writer.Offset();
    if (!writer.Write(LocalHeaderBytes(packed.fields), error) ||
        !writer.Write(packed.data, error)) {
      progress.Clear();
      Refuse(error, writer.LimitReached() ? kExitBadInput : kExitFailed);
    }
    writer.AddCentralRecord(CentralRecordBytes(packed.fields, static_cast<uint32_t>(offset)));
    bytesDone += packed.inputSize;
    progress.Update(written + 1, bytesDone);
  }
  progress.Clear();
  if (!writer.Finish(std::string(), error)) {
    Refuse(error, writer.LimitReached() ? kExitBadInput : kExitFailed);
  }
  if (!options.quiet) {
    // The ratio is the archive's: the stub and the block cost the same whatever is packed.
    uint64_t outputBytes = writer.Offset();
    uint64_t archiveBytes = outputBytes - kStubImageSize - block.size();
    printf("%s: %zu entries, %llu bytes in, %llu bytes out (archive %llu bytes, ratio %.1f%%)\n",
           options.output.c_str(), sources.size(), static_cast<unsigned long long>(inputBytes),
           static_cast<unsigned long long>(outputBytes),
           static_cast<unsigned long long>(archiveBytes),
           inputBytes == 0 ? 0.0 : 100.0 * archiveBytes / inputBytes);
  }
  return kExitOk;
}

void AddCreate(CLI::App& app) {
  auto options = std::make_shared<CreateOptions>();
  CLI::App* create = app.add_subcommand(
      "create",
      "Pack files and folders into a new SFX file. Folders are packed with everything below "
      "them, in sorted order; entry names are the paths as given (relative, with '/').");
  create->add_option("-o,--output", options->output, "the SFX file to write")->required();
  create->add_option("PATH", options->paths, "files and folders to pack")->required();
  create->add_option("-C,--directory", options->directory,
                     "read the PATHs relative to this folder");
  auto* level = create
                    ->add_option("--level", options->level,
                                 "deflate level, 0 (store) to 12 (smallest, the default)")
                    ->check(CLI::Range(0, 12));
  auto* best = create->add_flag("--best", options->best,
                                "search harder for the smallest deflate stream (zopfli, slow)");
  best->excludes(level);
  create->add_option("--iterations", options->iterations, "zopfli iterations with --best")
      ->check(CLI::Range(1, 1000))
      ->needs(best);
  create
      ->add_option("--password", options->password,
                   "encrypt every file with the traditional ZIP encryption (1 to 79 bytes)")
      ->check([](const std::string& text) {
        return text.empty() ? std::string("the password must not be empty") : std::string();
      });
  create
      ->add_option("--seed", options->seed,
                   "fixed seed for the encryption headers, for reproducible tests")
      ->each([options](const std::string&) { options->hasSeed = true; });
  create->add_option("--mtime", options->mtime,
                     "time of every entry: seconds since 1970 (UTC) or YYYY-MM-DD[ HH:MM[:SS]]; "
                     "SOURCE_DATE_EPOCH does the same");
  create->add_option("-j,--jobs", options->jobs, "threads that compress (default: one a core)")
      ->check(CLI::Range(1, 256));
  create->add_flag("-q,--quiet", options->quiet, "no progress line and no summary");
  create->add_flag("-n,--dry-run", options->dryRun, "show what would be packed, write nothing");
  AddConfigOptions(create, options->config);
  create->callback([options] {
    try {
      SetExitCode(RunCreate(*options));
    } catch (const Refusal& refusal) {
      fprintf(stderr, "qpsfx create: %s\n", refusal.message.c_str());
      SetExitCode(refusal.code);
    }
  });
}

CommandRegistration registration(AddCreate);

}  // namespace
