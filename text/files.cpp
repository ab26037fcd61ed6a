// Placeholder until the file functions land.
#include "text/files.h"

namespace velmora {
std::string ReadWholeFile(const std::string&) { return {}; }
bool ReadWholeFileReporting(const std::string&, std::string&, std::string&) { return false; }
bool WriteWholeFile(const std::string&, std::string_view) { return false; }
AtomicFileWriter::AtomicFileWriter(std::string target) : target_(std::move(target)) {}
AtomicFileWriter::~AtomicFileWriter() = default;
bool AtomicFileWriter::Open() { return false; }
bool AtomicFileWriter::Write(std::string_view) { return false; }
bool AtomicFileWriter::Commit() { return false; }
void AtomicFileWriter::Abandon() {}
bool AtomicFileWriter::Fail(const char*) { return false; }
}  // namespace velmora
