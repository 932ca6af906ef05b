// lexq_probe DICTIONARY WORD: loads lexqapi.so from its own folder the way the viewer
// does, opens the dictionary, searches the word and prints the codes and the table.
// The shared-library tests run it from folders with and without crypt.so.
#include <stdio.h>

#include <cstdint>
#include <string>

#include "lexqapi.h"
#include "platform/dynlib.h"
#include "platform/paths.h"

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: lexq_probe DICTIONARY WORD\n");
        return 2;
    }
    platform::LibHandle library =
        platform::LoadLibraryFromPath(platform::ProgramDir() + "/lexqapi.dll");
    auto init = reinterpret_cast<decltype(&lexq_init)>(platform::FindExport(library, "lexq_init"));
    auto search =
        reinterpret_cast<decltype(&lexq_search)>(platform::FindExport(library, "lexq_search"));
    auto release = reinterpret_cast<decltype(&lexq_free_searchresult)>(
        platform::FindExport(library, "lexq_free_searchresult"));
    auto deinit =
        reinterpret_cast<decltype(&lexq_deinit)>(platform::FindExport(library, "lexq_deinit"));
    if (init == nullptr || search == nullptr || release == nullptr || deinit == nullptr) {
        printf("no library\n");
        return 3;
    }
    const int32_t opened = init(argv[1]);
    printf("init %d\n", opened);
    if (opened == LEXQ_ERR_NONE) {
        char *table = nullptr;
        const int32_t found = search(argv[2], &table);
        printf("search %d %s\n", found, table != nullptr ? table : "");
        release(table);
        deinit();
    }
    platform::FreeLibraryHandle(library);
    return 0;
}
