/* The one process-wide open dictionary that every export works on. */
#ifndef LEXQ_HANDLE_H
#define LEXQ_HANDLE_H

#include "dictionary.h"

/* Null while no dictionary is open; set by lexq_init, cleared by lexq_deinit. */
extern lexq_dictionary *g_dictionary;

#endif
