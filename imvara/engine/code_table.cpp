// Embeds data/code_table.txt byte for byte. The assembler includes the file directly, which keeps the
// build fast and the bytes exact; CMake names the file in IMVARA_CODE_TABLE_FILE and rebuilds this
// object when it changes.
#include "imvara/engine/code_table.h"

#ifndef IMVARA_CODE_TABLE_FILE
#error "IMVARA_CODE_TABLE_FILE must name the code table"
#endif

asm(".pushsection .rodata\n"
    ".balign 16\n"
    "imvara_code_table_begin:\n"
    ".incbin \"" IMVARA_CODE_TABLE_FILE "\"\n"
    "imvara_code_table_end:\n"
    ".popsection\n");

extern "C" const char imvara_code_table_begin[];
extern "C" const char imvara_code_table_end[];

namespace imvara {

std::string_view CodeTable() {
    return {imvara_code_table_begin, static_cast<std::size_t>(imvara_code_table_end - imvara_code_table_begin)};
}

} // namespace imvara
