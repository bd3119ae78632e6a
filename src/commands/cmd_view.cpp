// The view commands: colours, columns, filter, play mode, properties, sort.
#include <stdlib.h>

#include <algorithm>
#include <optional>

#include "commands/cmd.h"
#include "commands/str2argv.h"
#include "library/medialib.h"
#include "meta/mi_query.h"
#include "meta/mi_sort.h"
#include "player/player.h"
#include "screen/colors.h"
#include "screen/message.h"
#include "screen/paint.h"
#include "screen/ui.h"

bool save_sorts = false;

namespace
{

bool screen_active()
{
	return ui_is_up() && !ui_is_ended();
}

int set_lwidth(const std::string &word0, const std::string &prop, const std::string &value)
{
	const char *errstr = nullptr;
	const int cols = ui_cols();
	long long width = strtonum(value.c_str(), 1, cols, &errstr);
	// The playlist window needs a column beside the library window and its
	// border.
	if (errstr == nullptr && width > cols - 2)
		errstr = "too large";
	if (errstr != nullptr) {
		paint_error("%s %s: bad width: '%s' %s", word0.c_str(), prop.c_str(), value.c_str(),
		            errstr);
		return 3;
	}
	ui.lwidth = static_cast<int>(width);
	if (screen_active()) {
		ui_resize();
		ui_clear();
		paint_all();
	}
	return 0;
}

void set_lhide(bool hide)
{
	ui.lhide = hide;
	if (hide) {
		if (ui.active == &ui.playlist)
			ui_hide_library();
		paint_all();
		paint_message("library window hidden");
	} else {
		// Without a screen there is no window to hide or show.
		if (ui_is_up() && !ui.library.cwin)
			ui_unhide_library();
		paint_all();
		paint_message("library window un-hidden");
	}
}

void set_match_fname(bool match)
{
	query.match_fname = match;
	paint_message("%s", match ? "filenames will be matched against"
	                          : "filenames will NOT be matched against");
}

void set_save_sorts(bool save)
{
	save_sorts = save;
	paint_message("%s", save ? "changing sort will be prompted for saving"
	                         : "changing sort will NOT be prompted for saving");
}

// The properties that take a boolean word, with the code of a bad value.
const struct {
	const char *name;
	int code;
	void (*apply)(bool);
	bool (*value)();
} boolean_properties[] = {
	{ "lhide", 4, set_lhide, [] { return ui.lhide; } },
	{ "match-fname", 5, set_match_fname, [] { return query.match_fname; } },
	{ "save-sorts", 6, set_save_sorts, [] { return save_sorts; } },
};

// "name=value" of every property, as set can take them back.
std::string property_values(const std::string &only = "")
{
	std::string out;
	auto add = [&](const char *name, const std::string &value) {
		if (!only.empty() && !cmd_keyword(only, name))
			return;
		out += (out.empty() ? "" : " ") + std::string(name) + "=" + value;
	};
	add("lwidth", std::to_string(ui.lwidth));
	for (const auto &b : boolean_properties)
		add(b.name, b.value() ? "true" : "false");
	return out;
}

} // namespace

int cmd_color(const std::vector<std::string> &argv)
{
	const std::string &arg = argv[1];
	size_t eq = arg.find('=');
	if (eq == std::string::npos)
		return cmd_usage(cmd_color, argv, 2);
	size_t comma = arg.find(',', eq + 1);
	if (comma == std::string::npos)
		return cmd_usage(cmd_color, argv, 3);
	const std::string item = arg.substr(0, eq);
	const std::string fg_name = arg.substr(eq + 1, comma - eq - 1);
	const std::string bg_name = arg.substr(comma + 1);

	int pair = paint_str2item(item);
	if (pair < 0) {
		paint_error("invalid item '%s'", item.c_str());
		return 4;
	}
	int fg = paint_str2color(fg_name);
	if (fg == -2) {
		paint_error("invalid foreground color '%s'", fg_name.c_str());
		return 5;
	}
	int bg = paint_str2color(bg_name);
	if (bg == -2) {
		paint_error("invalid background color '%s'", bg_name.c_str());
		return 6;
	}

	paint_set_color(pair, fg, bg);
	if (screen_active()) {
		ui_clear();
		paint_all();
	}
	return 0;
}

int cmd_display(const std::vector<std::string> &argv)
{
	if (cmd_keyword(argv[1], "show")) {
		paint_message(":display %s", mi_display_tostr().c_str());
		return 0;
	}
	if (cmd_keyword(argv[1], "reset")) {
		mi_display_reset();
		paint_playlist();
		return 0;
	}
	std::optional<std::string> errmsg;
	if (mi_display_set(argv[1], errmsg) != 0) {
		paint_error("%s: bad display description: %s", argv[0].c_str(), errmsg->c_str());
		return 1;
	}
	if (screen_active())
		paint_playlist();
	return 0;
}

int cmd_filter(const std::vector<std::string> &argv)
{
	const bool inverted = argv[0].back() == '!';
	const std::vector<std::string> tokens(argv.begin() + 1, argv.end());

	mi_query_clear();
	mi_query_setraw(argv2str(tokens));
	for (const std::string &t : tokens)
		mi_query_add_token(t);

	playlist_ptr found = playlist_filter(*viewing_playlist, !inverted);
	playlist &results = *medialib.filter_results;
	{
		const player_queue_guard follow(&results);
		std::swap(results.files, found->files);
	}
	playlist_free(std::move(found));
	// The old results' changes cannot be undone on the new ones.
	results.history = playlist_history_new();
	results.hist_present = -1;

	show_playlist(&results);
	paint_library();
	paint_playlist();
	return 0;
}

int cmd_mode(const std::vector<std::string> &argv)
{
	static const struct {
		const char *word;
		int mode;
	} modes[] = { { "linear", MODE_LINEAR }, { "loop", MODE_LOOP }, { "random", MODE_RANDOM } };
	for (const auto &m : modes) {
		if (cmd_keyword(argv[1], m.word)) {
			player_info.mode = m.mode;
			paint_message("mode changed to: %s", argv[1].c_str());
			return 0;
		}
	}
	paint_error("invalid mode \"%s\".  must be one of: linear, loop, or random",
	            argv[1].c_str());
	return 2;
}

int cmd_set(const std::vector<std::string> &argv)
{
	// "set" alone lists every property, "set name?" shows one.
	if (argv.size() == 1) {
		paint_message("%s", property_values().c_str());
		return 0;
	}
	if (argv[1].size() > 1 && argv[1].back() == '?') {
		const std::string name = argv[1].substr(0, argv[1].size() - 1);
		const std::string shown = property_values(name);
		if (shown.empty()) {
			paint_error("%s: unknown property '%s'", argv[0].c_str(), name.c_str());
			return 7;
		}
		paint_message("%s", shown.c_str());
		return 0;
	}
	size_t eq = argv[1].find('=');
	if (eq == std::string::npos)
		return cmd_usage(cmd_set, argv, 2);
	const std::string &word0 = argv[0];
	const std::string prop = argv[1].substr(0, eq);
	const std::string value = argv[1].substr(eq + 1);

	if (cmd_keyword(prop, "lwidth"))
		return set_lwidth(word0, prop, value);

	for (const auto &b : boolean_properties) {
		if (!cmd_keyword(prop, b.name))
			continue;
		bool v = false;
		if (str2bool(value, v) != 0) {
			paint_error("%s %s: value must be boolean", word0.c_str(), prop.c_str());
			return b.code;
		}
		b.apply(v);
		return 0;
	}
	paint_error("%s: unknown property '%s'", word0.c_str(), prop.c_str());
	return 7;
}

int cmd_sort(const std::vector<std::string> &argv)
{
	std::optional<std::string> errmsg;
	if (mi_sort_set(argv[1], errmsg) != 0) {
		paint_error("%s: bad sort description: %s", argv[0].c_str(), errmsg->c_str());
		return 2;
	}
	std::vector<meta_info *> &files = viewing_playlist->files;
	const player_queue_guard follow(viewing_playlist);
	std::stable_sort(files.begin(), files.end(),
	          [](const meta_info *a, const meta_info *b) { return mi_compare(a, b) < 0; });

	paint_playlist();
	if (viewing_playlist != medialib.library && save_sorts) {
		viewing_playlist->needs_saving = true;
		paint_library();
	}
	return 0;
}
