// Windows' reading of command lines: the system splitter and file-existence test
// plugged into the portable grammar of command_list.h.
#pragma once

#include <string>
#include <vector>

#include "app/command_list.h"

// Tokens of a command line by CommandLineToArgvW's rules (the first by its rule for a
// program name). An empty text, or a failing splitter, gives no tokens.
std::vector<std::wstring> SplitCommandLine(const std::wstring& text);

// PathFileExistsW; ReadCommandTokens asks it only about tokens IsProbeablePath allows.
bool PathExists(const std::wstring& token);

// The relay reading of a whole text: empties list, then fills it. A text an older sender
// cut loses its last token (TokensToCarryOut).
void ParseCommandList(const std::wstring& text, CommandList& list);
