// External commands: a command line run by /bin/sh -c, with its standard
// input, output and error optionally redirected. Text crosses this border as
// UTF-8 bytes; the run-time's values stay on the caller's side.
#pragma once
#include <string>

namespace xel {

enum class StreamKind {
    None, // not redirected: the null device, or the parent's stream with console
    Data, // input: the bytes of data; output: captured into data
    File, // input: read from the file at path; output: appended to it (created)
};

struct ProcessStream {
    StreamKind kind = StreamKind::None;
    std::string path;
    std::string data;
};

struct ProcessRequest {
    std::string command;
    bool wait = false;    // wait for the exit status
    bool console = false; // unredirected streams are the parent's; implies wait
    ProcessStream input, output, error;
};

// Runs the request and answers the command's exit status (128 + the signal
// number when a signal ended it) when waiting, else the process id; -1 when
// a pipe, a redirection file or the process cannot be made. Captured output
// and error are read until the command closes them, even without waiting.
int os_run_process(ProcessRequest& request);

} // namespace xel
