// Reading a media file's tags and play length, and cleaning the texts.
#pragma once

#include <string>

#include "meta/meta_info.h"

// A record built from the file at path (resolved to an absolute path without
// symbolic links), or null when the file cannot be read or the tag library
// cannot read it. Only regular files are read, and they are opened without
// blocking. Fatal when the path cannot be resolved.
mi_ptr mi_extract(const std::string &path);
// As mi_extract, but a path that cannot be resolved gives null instead of
// ending the program. open_error, when given, receives why the file could
// not be read (EINVAL: not a regular file), or 0 when it was read: a null
// result then means the tag library found no media in it.
mi_ptr mi_extract_resolved(const std::string &path, bool &unresolvable, int *open_error = nullptr);
// As mi_extract, for a path that is already absolute and free of symbolic
// links (from realpath): it becomes the record's file name as it is.
mi_ptr mi_extract_file(const std::string &resolved, int *open_error = nullptr);
// Cleans the eight texts of what a terminal could take for control: in a
// UTF-8 locale as text_sanitize does, in any other every byte that is not
// printable ASCII becomes '?'.
void mi_sanitize(meta_info &mi);
