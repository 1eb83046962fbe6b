#include "sim_config.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char *trim(char *s)
{
    while (isspace((unsigned char)*s))
        s++;
    char *end = s + strlen(s);
    while (end > s && isspace((unsigned char)end[-1]))
        *--end = '\0';
    return s;
}

// Cuts the last blank-separated word off `s` and returns it ("" when none).
static char *cut_last_word(char *s)
{
    char *end = s + strlen(s);
    char *word = end;
    while (word > s && !isspace((unsigned char)word[-1]))
        word--;
    char *before = word;
    while (before > s && isspace((unsigned char)before[-1]))
        before--;
    *before = '\0';
    return word;
}

static int parse_int(const char *text, int *value)
{
    char *end;
    long v = strtol(text, &end, 0);
    if (*text == '\0' || *end != '\0')
        return 0;
    *value = (int)v;
    return 1;
}

static enum sim_failure parse_failure(const char *word)
{
    if (strcmp(word, "connect-fail") == 0)
        return SIM_CONNECT_FAIL;
    if (strcmp(word, "begin-fail") == 0)
        return SIM_BEGIN_FAIL;
    if (strcmp(word, "read-fail") == 0)
        return SIM_READ_FAIL;
    if (strcmp(word, "connect-hang") == 0)
        return SIM_CONNECT_HANG;
    if (strcmp(word, "begin-hang") == 0)
        return SIM_BEGIN_HANG;
    if (strcmp(word, "read-hang") == 0)
        return SIM_READ_HANG;
    return SIM_OK;
}

// "reader <name> <pcode> [failure]": the name may hold blanks, so the line is
// taken apart from its end.
static void parse_reader(struct sim_config *config, char *rest)
{
    if (config->reader_count == SIM_MAX_READERS)
        return;
    struct sim_reader *reader = &config->readers[config->reader_count];
    char *word = cut_last_word(rest);
    reader->failure = parse_failure(word);
    if (reader->failure != SIM_OK)
        word = cut_last_word(rest);
    if (!parse_int(word, &reader->pcode))
        return;
    char *name = trim(rest);
    if (*name == '\0' || strlen(name) >= SIM_MAX_NAME)
        return;
    strcpy(reader->name, name);
    config->reader_count++;
}

static void parse_line(struct sim_config *config, char *line)
{
    line = trim(line);
    if (*line == '\0' || *line == '#')
        return;
    char *rest = line;
    while (*rest && !isspace((unsigned char)*rest))
        rest++;
    if (*rest)
        *rest++ = '\0';
    rest = trim(rest);

    if (strcmp(line, "reader") == 0) {
        parse_reader(config, rest);
    } else if (strcmp(line, "list-fail") == 0) {
        parse_int(rest, &config->list_status);
    } else if (strcmp(line, "list-length") == 0) {
        if (strcmp(rest, "uncounted") == 0)
            config->length_uncounted = 1;
        else
            config->has_length = parse_int(rest, &config->length);
    } else if (strcmp(line, "list-count") == 0) {
        config->has_count = parse_int(rest, &config->count);
    } else if (strcmp(line, "slow") == 0) {
        parse_int(rest, &config->slow_ms);
    } else if (strcmp(line, "list-fill") == 0 && strlen(rest) == 1) {
        config->has_fill = 1;
        config->fill = rest[0] == '0' ? '\0' : rest[0];
    }
}

struct sim_config *sim_config_load(void)
{
    struct sim_config *config = calloc(1, sizeof *config);
    if (!config)
        return NULL;
    const char *path = getenv("KEYCORE_SIM_CONFIG");
    FILE *file = path ? fopen(path, "r") : NULL;
    if (!file)
        return config;
    char line[1024];
    while (fgets(line, sizeof line, file))
        parse_line(config, line);
    fclose(file);
    return config;
}

const struct sim_reader *sim_config_find(const struct sim_config *config, const char *name)
{
    for (int i = 0; i < config->reader_count; i++)
        if (strcmp(config->readers[i].name, name) == 0)
            return &config->readers[i];
    return NULL;
}
