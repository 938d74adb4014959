"""Syntax files for the editors people use, made from the language's name tables so they never drift:
Vim (syntax and file-type detection), GtkSourceView (gedit, mousepad), KSyntaxHighlighting (Kate,
KWrite, KDevelop) and a TextMate grammar (editors that read .tmLanguage.json).

What they colour, as the language reads a line: a ' starts a comment to the end of the line; a " starts
a string that ends at the next " or the end of the line, in which |name| is replaced by a variable's
value; lines starting with # at the top are the script's header; numbers are digits with . and E; words
are letters, digits, _ and the . and $ that names may hold, compared without regard to letter case; a
word followed by : at the start of a line is a label; the block words dialog, macro, string and text take
every following line as text up to their end word (string and text blocks end at either end word).
"""

import json
from xml.sax.saxutils import escape

MIME_TYPE = "application/x-tarnwick-script"


class Words:
    def __init__(self, tables):
        self.statements = sorted(tables.statements)
        self.functions = sorted(set(tables.functions) | {i["name"] for i in tables.library if i["kind"] == "function"})
        self.commands = sorted(i["name"] for i in tables.library if i["kind"] == "command")
        self.block_starts = sorted(b["name"] for b in tables.blocks)
        self.block_ends = sorted(b["end"] for b in tables.blocks)
        self.variables = sorted(tables.variables, key=str.lower)

    def all(self):
        return (self.statements + self.functions + self.commands + self.block_starts + self.block_ends +
                self.variables)


def vim_syntax(words):
    def keyword(group, names):
        lines = []
        line = []
        for name in names:
            line.append(name)
            if len(line) == 8:
                lines.append(f"syn keyword {group} " + " ".join(line))
                line = []
        if line:
            lines.append(f"syn keyword {group} " + " ".join(line))
        return "\n".join(lines)

    starts = "\\|".join(words.block_starts)
    ends = "\\|".join(words.block_ends)
    return f"""\" Vim syntax file
\" Language: tarnwick script (.tws)
\" Made from the language's name tables; installed with tarnwick.

if exists("b:current_syntax")
  finish
endif

syn case ignore
\" Names may hold . and $ (my.var, a$).
setlocal iskeyword=@,48-57,_,.,$

{keyword("twStatement", words.statements)}
{keyword("twFunction", words.functions)}
{keyword("twCommand", words.commands)}
{keyword("twVariable", words.variables)}

syn match twComment "'.*$" contains=@Spell
syn match twExpansion "|[^|\\"]*|" contained
syn region twString start=+"+ end=+"+ end=+$+ oneline contains=twExpansion
syn match twNumber "\\<\\d[0-9.eE]*"
syn match twHeader "\\%^\\(#.*\\n\\)\\+"
syn match twLabel "^\\s*\\h[0-9A-Za-z_.$]*:"
syn region twBlock matchgroup=twBlockWord start="^\\s*\\<\\({starts}\\)\\>.*$" end="^\\s*\\<\\({ends}\\)\\>" contains=twExpansion
\" A block's state carries from line to line; scripts are small enough to read from their start.
syn sync fromstart

hi def link twStatement Statement
hi def link twFunction Function
hi def link twCommand Keyword
hi def link twVariable Constant
hi def link twComment Comment
hi def link twString String
hi def link twExpansion Identifier
hi def link twNumber Number
hi def link twHeader PreProc
hi def link twLabel Label
hi def link twBlock String
hi def link twBlockWord Statement

let b:current_syntax = "tarnwick"
"""


def vim_ftdetect():
    return "\" tarnwick scripts\nau BufRead,BufNewFile *.tws setfiletype tarnwick\n"


def gtksourceview_lang(words):
    def keywords(context_id, style, names):
        items = "\n".join(f"          <keyword>{escape(n)}</keyword>" for n in names)
        return f"""        <context id="{context_id}" style-ref="{style}">
          <prefix>(?&lt;![\\w.$])</prefix>
          <suffix>(?![\\w.$])</suffix>
{items}
        </context>"""

    starts = "|".join(words.block_starts)
    ends = "|".join(words.block_ends)
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<!-- tarnwick scripts, for GtkSourceView (gedit, mousepad); made from the language's name tables. -->
<language id="tarnwick" name="Tarnwick" version="2.0" section="Script">
  <metadata>
    <property name="mimetypes">{MIME_TYPE}</property>
    <property name="globs">*.tws</property>
    <property name="line-comment-start">'</property>
  </metadata>
  <styles>
    <style id="comment" name="Comment" map-to="def:comment"/>
    <style id="string" name="String" map-to="def:string"/>
    <style id="expansion" name="Variable in a string" map-to="def:identifier"/>
    <style id="statement" name="Statement" map-to="def:keyword"/>
    <style id="function" name="Function" map-to="def:function"/>
    <style id="command" name="Command" map-to="def:builtin"/>
    <style id="variable" name="System variable" map-to="def:special-constant"/>
    <style id="number" name="Number" map-to="def:number"/>
    <style id="header" name="Script header" map-to="def:preprocessor"/>
    <style id="label" name="Label" map-to="def:preprocessor"/>
    <style id="block" name="Block text" map-to="def:string"/>
  </styles>
  <default-regex-options case-sensitive="false"/>
  <definitions>
    <context id="expansion" style-ref="expansion">
      <match>\\|[^|"]*\\|</match>
    </context>
    <context id="tarnwick">
      <include>
        <context id="comment" style-ref="comment" end-at-line-end="true">
          <start>'</start>
        </context>
        <context id="string" style-ref="string" end-at-line-end="true">
          <start>"</start>
          <end>"</end>
          <include>
            <context ref="expansion"/>
          </include>
        </context>
        <context id="header" style-ref="header" end-at-line-end="true">
          <start>^#</start>
        </context>
        <context id="block" style-inside="true" style-ref="block">
          <start>^\\s*({starts})(?![\\w.$]).*$</start>
          <end>^\\s*({ends})(?![\\w.$])</end>
          <include>
            <context sub-pattern="1" where="start" style-ref="statement"/>
            <context sub-pattern="1" where="end" style-ref="statement"/>
            <context ref="expansion"/>
          </include>
        </context>
        <context id="label" style-ref="label">
          <match>^\\s*[a-z_][\\w.$]*:</match>
        </context>
        <context id="number" style-ref="number">
          <match>(?&lt;![\\w.$])[0-9][0-9.eE]*</match>
        </context>
{keywords("statements", "statement", words.statements)}
{keywords("functions", "function", words.functions)}
{keywords("commands", "command", words.commands)}
{keywords("variables", "variable", words.variables)}
      </include>
    </context>
  </definitions>
</language>
"""


def ksyntaxhighlighting(words):
    def word_list(name, names):
        items = "\n".join(f"      <item>{escape(n)}</item>" for n in names)
        return f'    <list name="{name}">\n{items}\n    </list>'

    starts = "|".join(words.block_starts)
    ends = "|".join(words.block_ends)
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE language>
<!-- tarnwick scripts, for KSyntaxHighlighting (Kate, KWrite, KDevelop); made from the language's name tables. -->
<language name="Tarnwick" section="Scripts" version="1" kateversion="5.0" extensions="*.tws" mimetype="{MIME_TYPE}" casesensitive="0">
  <highlighting>
{word_list("statements", words.statements)}
{word_list("functions", words.functions)}
{word_list("commands", words.commands)}
{word_list("variables", words.variables)}
    <contexts>
      <context name="Normal" attribute="Normal Text" lineEndContext="#stay">
        <RegExpr attribute="Header" context="#stay" String="^#.*$" column="0"/>
        <DetectChar attribute="Comment" context="Comment" char="'"/>
        <DetectChar attribute="String" context="String" char="&quot;"/>
        <RegExpr attribute="Statement" context="Block" String="^\\s*({starts})(?![\\w.$])" insensitive="true"/>
        <RegExpr attribute="Label" context="#stay" String="^\\s*[a-z_][\\w.$]*:" insensitive="true"/>
        <keyword attribute="Statement" context="#stay" String="statements"/>
        <keyword attribute="Function" context="#stay" String="functions"/>
        <keyword attribute="Command" context="#stay" String="commands"/>
        <keyword attribute="Variable" context="#stay" String="variables"/>
        <Float attribute="Number" context="#stay"/>
        <Int attribute="Number" context="#stay"/>
      </context>
      <context name="Comment" attribute="Comment" lineEndContext="#pop"/>
      <context name="String" attribute="String" lineEndContext="#pop">
        <RegExpr attribute="Expansion" context="#stay" String="\\|[^|&quot;]*\\|"/>
        <DetectChar attribute="String" context="#pop" char="&quot;"/>
      </context>
      <context name="Block" attribute="Block Text" lineEndContext="#stay">
        <RegExpr attribute="Statement" context="#pop" String="^\\s*({ends})(?![\\w.$])" insensitive="true"/>
        <RegExpr attribute="Expansion" context="#stay" String="\\|[^|]*\\|"/>
      </context>
    </contexts>
    <itemDatas>
      <itemData name="Normal Text" defStyleNum="dsNormal"/>
      <itemData name="Comment" defStyleNum="dsComment"/>
      <itemData name="String" defStyleNum="dsString"/>
      <itemData name="Expansion" defStyleNum="dsVariable"/>
      <itemData name="Statement" defStyleNum="dsControlFlow"/>
      <itemData name="Function" defStyleNum="dsFunction"/>
      <itemData name="Command" defStyleNum="dsKeyword"/>
      <itemData name="Variable" defStyleNum="dsConstant"/>
      <itemData name="Number" defStyleNum="dsDecVal"/>
      <itemData name="Header" defStyleNum="dsPreprocessor"/>
      <itemData name="Label" defStyleNum="dsPreprocessor"/>
      <itemData name="Block Text" defStyleNum="dsVerbatimString"/>
    </itemDatas>
  </highlighting>
  <general>
    <comments>
      <comment name="singleLine" start="'"/>
    </comments>
    <keywords casesensitive="0" weakDeliminator=".$"/>
  </general>
</language>
"""


def textmate(words):
    def alternatives(names):
        return "(?i)(?<![\\w.$])(?:" + "|".join(names) + ")(?![\\w.$])"

    grammar = {
        "name": "Tarnwick",
        "scopeName": "source.tarnwick",
        "fileTypes": ["tws"],
        "patterns": [{"include": "#" + name} for name in
                     ("header", "comment", "string", "block", "label", "statement", "function", "command",
                      "variable", "number")],
        "repository": {
            "header": {"name": "meta.preprocessor.header.tarnwick", "match": "^#.*$"},
            "comment": {"name": "comment.line.quote.tarnwick", "match": "'.*$"},
            "expansion": {"name": "variable.other.expansion.tarnwick", "match": "\\|[^|\"]*\\|"},
            "string": {"name": "string.quoted.double.tarnwick", "begin": "\"", "end": "\"|$",
                       "patterns": [{"include": "#expansion"}]},
            "block": {"begin": "(?i)^\\s*(" + "|".join(words.block_starts) + ")(?![\\w.$]).*$",
                      "beginCaptures": {"1": {"name": "keyword.control.block.tarnwick"}},
                      "end": "(?i)^\\s*(" + "|".join(words.block_ends) + ")(?![\\w.$])",
                      "endCaptures": {"1": {"name": "keyword.control.block.tarnwick"}},
                      "contentName": "string.unquoted.block.tarnwick",
                      "patterns": [{"include": "#expansion"}]},
            "label": {"name": "entity.name.label.tarnwick", "match": "(?i)^\\s*[a-z_][\\w.$]*:"},
            "statement": {"name": "keyword.control.tarnwick", "match": alternatives(words.statements)},
            "function": {"name": "support.function.tarnwick", "match": alternatives(words.functions)},
            "command": {"name": "keyword.other.command.tarnwick", "match": alternatives(words.commands)},
            "variable": {"name": "variable.language.tarnwick", "match": alternatives(words.variables)},
            "number": {"name": "constant.numeric.tarnwick", "match": "(?<![\\w.$])[0-9][0-9.eE]*"},
        },
    }
    return json.dumps(grammar, indent=2) + "\n"


def files(tables):
    words = Words(tables)
    return {
        "vim/syntax/tarnwick.vim": vim_syntax(words),
        "vim/ftdetect/tarnwick.vim": vim_ftdetect(),
        "tarnwick.lang": gtksourceview_lang(words),
        "tarnwick.xml": ksyntaxhighlighting(words),
        "tarnwick.tmLanguage.json": textmate(words),
    }
