// Runs one end-to-end scenario: the real stub with a block and an archive, under
// Wine, worked by the driver (qpdrive.exe) from a script of steps.
//
// Each scenario gets a fresh folder build/wine/scenarios/<suite>.<test>/ (kept after
// the run, for a look at what happened) holding
//   test.exe     the SFX file (stub + block + archive)
//   cwd/         the stub's current folder
//   script.txt   the steps, transcript.txt what the driver saw.
// In steps, {work} stands for that folder as Windows sees it (Z:\...\<name>); in the
// transcript it stands in again for that path, so expectations do not depend on
// where the build tree lives.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tests/unit/support/sfx_builder.h"

// The stub's bytes, as built.
const std::string& StubImage();
// An entry with its bytes: deflated (method 8) unless another method is given.
ZipEntrySpec Entry(const std::string& name, const std::string& data, uint16_t method = 8);
// The same, encrypted with the password.
ZipEntrySpec Encrypted(const std::string& name, const std::string& data,
                       const std::string& password);
// Stub + block (empty: none) + archive.
std::string MakeSfx(const std::string& block, const std::vector<ZipEntrySpec>& entries);
// The marker program (qpmarker.exe): started, it writes marker.txt beside itself
// with its arguments one a line.
const std::string& MarkerProgram();

struct Scenario {
  std::string sfx;                           // the bytes of test.exe
  std::map<std::string, std::string> files;  // files to put below the folder first
  std::string steps;                         // driver steps, "program" and "cwd" are given
};

struct Outcome {
  std::string transcript;  // what the driver recorded, {work} for the folder
  std::string folder;      // the scenario's folder (POSIX path)

  std::string Path(const std::string& relative) const { return folder + "/" + relative; }
  bool Has(const std::string& relative) const { return FileExists(Path(relative)); }
  std::string Read(const std::string& relative) const { return ReadBytes(Path(relative)); }
  // Every file below the folder's subfolder, relative to it, sorted, "name=bytes".
  std::vector<std::string> Tree(const std::string& subfolder) const;
};

// Runs the scenario under Wine; the folder is named after the running test.
Outcome RunScenario(const Scenario& scenario);

// The Windows form of a POSIX path (Wine's drive Z: is the root).
std::string WindowsPath(const std::string& posixPath);
// The running test's scenario folder as the stub sees it: what {work} stands for,
// for texts that go into the SFX file itself (a default folder, say).
std::string WorkFolder();
