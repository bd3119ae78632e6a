// The keyboard's input modes: a small stack of states that the main loop
// feeds one key at a time. With no mode open a key goes to the normal mode
// (the number prefix and the key bindings); a pending second key, a line
// being typed, a yes/no question and the wait for a key after a shell
// command are modes pushed on top. A mode never waits itself: it keeps its
// state between keys and, when it is done, leaves the stack and calls what
// it was opened for.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

class line_editor;

class input_mode
{
public:
	virtual ~input_mode() = default;
	// Takes one key; true when the mode is done and leaves the stack.
	virtual bool key(int key) = 0;
	// Runs once the mode has left the stack, so that what it calls may
	// open another mode.
	virtual void finish() {}
	// The line it shows on the command row, when it is a prompt.
	virtual const line_editor *editor() const { return nullptr; }
};

// Where keys go while no mode is open.
void input_set_normal(void (*normal)(int key));
// Opens mode on top of the stack. Refused (false, the mode dropped) while
// refusals are on and a mode is already open: see input_refuse_modes.
bool input_push(std::unique_ptr<input_mode> mode);
// Gives key to the top mode, or to the normal mode when none is open.
void input_feed(int key);
// How many keys have been fed so far.
long input_keys_fed();
// Whether any mode is open above the normal mode.
bool input_mode_open();
// The line of the top-most prompt, if one is open.
const line_editor *input_prompt();
// Drops every mode without finishing it: nothing they were opened for runs.
void input_clear();

// While on, a mode cannot open over another one: a remote command must not
// take the keyboard from a prompt or a pending key. input_take_refused tells
// (once) whether a push was refused meanwhile.
void input_refuse_modes(bool on);
// Whether refusals are on: a remote command is running.
bool input_refusing_modes();
bool input_take_refused();

// Keys given back by a mode (the key after 'g' that was not 'g'), read
// before the keyboard; the one given back last is read first.
void input_unget(int key);
// The next key given back; -1 when there is none.
int input_take_ungot();

// A mode asks for the bell; the screen rings it when it paints.
void input_bell();
bool input_take_bell();

// A mode waiting for one key that accept takes; every other key is
// dropped. done is called with the key taken.
class pending_key : public input_mode
{
public:
	pending_key(std::function<bool(int)> accept, std::function<void(int)> done)
	        : accept(std::move(accept)), done(std::move(done))
	{
	}
	bool key(int key) override;
	void finish() override { done(taken); }

private:
	std::function<bool(int)> accept;
	std::function<void(int)> done;
	int taken = -1;
};

// Opens a mode that passes the next key, whatever it is, to done.
bool input_next_key(std::function<void(int)> done);
// Asks a yes/no question on the command row: done gets 1 (yes), 0 (no),
// -1 (neither), or nothing when the question was cancelled.
bool input_ask_yesno(const std::string &question,
                     std::function<void(std::optional<int>)> done);
// The answer a typed line gives to a yes/no question.
int input_yesno_answer(const std::string &line);
