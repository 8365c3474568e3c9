#pragma once

#include <string>
#include <string_view>

namespace q470 {

// Text from a device, a file or a path, made safe to show on a terminal: UTF-8 stays as it is (Korean
// names show), while every control character (C0, DEL and the C1 range), and every byte that is not part
// of valid UTF-8, becomes the four characters \xNN, as the trace shows bytes. An ESC, a BEL or a CR then
// cannot steer the terminal, and a line end in a name cannot forge a line of its own.
std::string PrintableText(std::string_view text);

// The same for text the tool composed itself, whose line ends are its own: each line is kept, and
// everything else in it is made printable.
std::string TerminalText(std::string_view text);

}  // namespace q470
