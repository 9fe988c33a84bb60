// quillmere-content: writes every file the demo loads into a folder.
//   quillmere-content OUTPUT-FOLDER
#include "content.h"

#include <sys/stat.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        fprintf(stderr, "usage: quillmere-content OUTPUT-FOLDER\n"
                        "Writes Data/, Textures/ and music.xm: the demo's content, made here.\n");
        return 2;
    }
    const std::string root = argv[1];
    for (const std::string& dir : {root, root + "/Data", root + "/Textures"})
        mkdir(dir.c_str(), 0755);
    bool ok = content::WriteImages(root);
    ok = content::WriteBears(root) && ok;
    ok = content::WriteMusic(root) && ok;
    content::ReleaseFonts();
    if (!ok) {
        fprintf(stderr, "quillmere-content: could not write the content into %s\n", root.c_str());
        return 1;
    }
    return 0;
}
