// Whole files moved between the local disk and the server in DataBlocks of
// at most 1460 bytes, in file order.  Downloads expect the count the server
// announced in its first reply; uploads send the count the request announced.
// Every transfer holds one block in memory; only scripts and pages are held
// whole (at most 1 MiB, see localfile.h).
//
// Unless silent mode is on, each transfer prints its announcement line,
// draws the progress line (progress.h) and ends it with two newlines.
// Failures print their message in silent mode too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "connection.h"
#include "download_file.h"
#include "localfile.h"
#include "run_output.h"

namespace velkor {

// The local check made before connecting for an upload of `path`: prints
// "File %s does not exist." or, for a file larger than the request can
// announce, a line saying so.  Gives the value to announce: the file size,
// or with `text` the length ReadTextFile gives, the text read into it.
std::optional<std::uint32_t> PrepareUpload(const std::string& path, std::string* text);

// Receives the announced number of bytes into `file`, the download of
// `path` (which the messages name).  The complete file is left in `file`
// uncommitted: the run puts it in place only once the server's final reply
// says the action succeeded (CommitDownload).  A broken or failed download
// leaves the earlier file at `path` as it was and no new file behind.
// Blocks beyond the announced count are not written.
bool ReceiveFile(Connection& connection, const std::string& path, DownloadFile& file,
                 RunOutput& output);
// Puts a received download in place; prints "Unable to write to" when that
// fails.
bool CommitDownload(DownloadFile& file, const std::string& path);

// Sends the first `size` bytes of the file at `path`.
bool SendFile(Connection& connection, const std::string& path, std::uint32_t size,
              RunOutput& output);

// Sends a script or page read by PrepareUpload; `path` only appears in the
// announcement line.  An empty text sends nothing and succeeds.
bool SendText(Connection& connection, const std::string& path, std::string_view text,
              RunOutput& output);

}  // namespace velkor
