// Runs a fuzz target once on each file named on the command line, or in each
// directory named there: the replay of the kept corpora in every test run.
#include <dirent.h>
#include <stdint.h>
#include <stdio.h>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static bool Replay(const std::string &path)
{
    FILE *file = fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::vector<uint8_t> data;
    uint8_t chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, file)) > 0)
        data.insert(data.end(), chunk, chunk + n);
    fclose(file);
    LLVMFuzzerTestOneInput(data.data(), data.size());
    return true;
}

int main(int argc, char **argv)
{
    int replayed = 0;
    for (int i = 1; i < argc; i++) {
        struct stat st;
        if (stat(argv[i], &st) != 0) {
            fprintf(stderr, "replay: %s not found\n", argv[i]);
            return 1;
        }
        if (!S_ISDIR(st.st_mode)) {
            replayed += Replay(argv[i]);
            continue;
        }
        DIR *dir = opendir(argv[i]);
        for (struct dirent *entry; dir && (entry = readdir(dir)) != NULL;)
            if (entry->d_name[0] != '.')
                replayed += Replay(std::string(argv[i]) + "/" + entry->d_name);
        if (dir)
            closedir(dir);
    }
    printf("replayed %d inputs\n", replayed);
    return replayed > 0 ? 0 : 1;
}
