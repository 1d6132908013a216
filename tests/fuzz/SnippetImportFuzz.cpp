// Another tool's snippet file as it may arrive: any bytes, read as VS Code's JSON and as Sublime
// Text's XML. Nothing may crash or hang; what comes out is Shortcuts the library can hold and
// expansion reads as the converter meant, or a failure with nothing else.
#include "base/TextConvert.h"
#include "idelink/TemplateExpansion.h"
#include "store/ShortcutStore.h"
#include "store/SnippetImport.h"

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const store::SnippetFormat format :
         {store::SnippetFormat::VsCode, store::SnippetFormat::Sublime}) {
        const store::SnippetImport imported = store::importSnippets(bytes, format);
        if (imported.failure) {
            fuzz::require(imported.shortcuts.empty() && imported.skipped.empty(),
                          "a file not read gives nothing else");
            continue;
        }
        for (const store::ImportedShortcut& shortcut : imported.shortcuts) {
            fuzz::require(store::isStorableShortcutName(shortcut.name), "a storable name");
            fuzz::require(shortcut.name.find_first_of(u" \t") == std::u16string::npos,
                          "a name a word can be");
            fuzz::require(shortcut.templateText.find_first_of(u"\r\n") == std::u16string::npos,
                          "a template of one line");
            fuzz::require(!shortcut.templateText.starts_with(u" ") &&
                              !shortcut.templateText.starts_with(u"\t"),
                          "nothing the library file would drop");
            // Every "%" of the snippet is written so that none makes the template literal.
            const auto placeholders = idelink::scanPlaceholders(shortcut.templateText);
            const idelink::PreparedTemplate prepared =
                idelink::prepareTemplate(shortcut.templateText);
            fuzz::require(placeholders.has_value() == !prepared.placeholders.empty(),
                          "the fields are those the template reads");
        }
        (void)store::importReport(imported.shortcuts.size(), imported.skipped);
    }
    return 0;
}
