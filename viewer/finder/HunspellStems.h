// The stems a Hunspell dictionary gives for a word, for one language. The dictionary
// (<lang>.aff and .dic, or <lang>_XX.aff and .dic) is looked for in a list of folders and
// read on the first Load(), which takes a few hundred milliseconds: run it in the background
// and ask Ready() before a call that must not wait. Words go in and stems come out as UTF-8
// whatever encoding the dictionary declares. Without a dictionary every answer is empty.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class Hunspell;

class HunspellStems {
  public:
    // One analysis of a word: its stem, the dictionary's part-of-speech tag ("ts:NN2" gives
    // "NN2", empty when none), and the text before the stem in a compound ("af" in
    // af+gewassen). prefixDropped: the stem lost a prefix the analysis names only by its
    // flag ("removed" as re- + "move"), so the stem is another word, not a base form.
    struct Analysis {
        std::string stem;
        std::string tag;
        std::string prefix;
        bool prefixDropped = false;
    };

    HunspellStems(std::string language, std::vector<std::string> folders);
    ~HunspellStems();
    HunspellStems(const HunspellStems &) = delete;
    HunspellStems &operator=(const HunspellStems &) = delete;

    // Reads the dictionary once; later calls return at once. Safe from any thread, and a
    // call made while another thread reads waits for it. True when a dictionary is usable.
    bool Load();
    // Load() has finished with a usable dictionary.
    bool Ready() const { return ready_.load(std::memory_order_acquire); }
    // The .aff file found by Load(), empty before or without one.
    std::string AffixPath() const;

    // Stems and analyses of a word (UTF-8), in the dictionary's order; empty unless Ready(),
    // and for a word the dictionary's encoding cannot hold.
    std::vector<std::string> Stems(std::string_view word) const;
    std::vector<Analysis> Analyze(std::string_view word) const;
    bool Spell(std::string_view word) const;

  private:
    std::string language_;
    std::vector<std::string> folders_;
    std::once_flag once_;
    std::atomic<bool> ready_{false};
    mutable std::mutex mutex_;  // Hunspell keeps scratch state: one caller at a time
    std::unique_ptr<Hunspell> hunspell_;
    std::string affixPath_;
    std::string encoding_;  // the dictionary's, as iconv names it; empty for UTF-8

    bool ToDictionary(std::string_view utf8, std::string &out) const;
    bool FromDictionary(const std::string &text, std::string &out) const;
};

// Where dictionaries are looked for: a "hunspell" folder in the program's data folder
// first (a dictionary shipped with the program), then the system's folders.
std::vector<std::string> DefaultHunspellFolders(const std::string &dataDir);
