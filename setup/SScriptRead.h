// The setup script reader: "Setup.txt", plain or scrambled, one KEYWORD(argument) per line,
// comments between "/*" and "*/", after "//" (not "://") and on lines that start with ";".
// Pure text code; the "Unrecognized command" box is shown by whoever the sink belongs to.
#pragma once
#include "SScript.h"

namespace zk {

// Resets the script and reads the whole file text into it. Every line that the keyword table
// does not take is handed to onError (may be empty) with the box text.
void ReadScriptText(TScript& script, const Text& fileText, const ScriptErrorSink& onError);

// The sink of the running engine: the modal error box (no owner, caption "Error", charset 0,
// the default button captions), defined on the Windows side.
void ShowUnrecognizedCommandBox(const Text& message);

// Every maximal run of double quotes loses one quote, when the text starts and ends with one.
void UnquoteArgument(Text& argument);

// Removes each "/*" and the first "*/" after it; an unterminated "/*" stays.
Text StripBlockComments(const Text& text);

} // namespace zk
