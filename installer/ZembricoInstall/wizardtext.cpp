#include "installer/ZembricoInstall/wizardtext.h"

#include "installer/core/languagelist.h"
#include "installer/core/messagetable.h"
#include "plib/pstringencoding.h"

PString WizardText(MessageKey key) {
    PString text;
    TheMessageTable().lookup(text, key, CurrentLanguage());
    return text;
}

PString WizardText(MessageKey key, const PString& arg0) {
    PString text;
    TheMessageTable().lookup(text, key, CurrentLanguage(), arg0);
    return text;
}

PString WizardText(MessageKey key, const PString& arg0, const PString& arg1) {
    PString text;
    TheMessageTable().lookup(text, key, CurrentLanguage(), arg0, arg1);
    return text;
}

void AppendText(PString& out, const PString& text) {
    const PStringEncoding& encoding = PMixedEncoding();
    const auto reader = encoding.createReader(text);
    for (std::int32_t codePoint = reader->next(); codePoint > 0; codePoint = reader->next())
        encoding.append(out, codePoint);
}
