// What the pieces of the libkeycore binding share beyond the exported names.
#pragma once

// Connects to the first reader that KcListReaders keeps (an empty name when it
// keeps none); the handle stays null when that fails.
void *ConnectFirstKeptReader();

