// Runs the batch box's conversions off the page's thread: the command-line tool's own logic
// on the box's text as UTF-8, reporting its progress as it reads.
import createOrvanthe from './orvanthe.js';

const ready = createOrvanthe();

// UTF-8 of `text`; a lone surrogate becomes the three bytes it would have were it a character,
// which the tool, as on any input that is not UTF-8, names and skips.
function utf8Of(text) {
    if (text.isWellFormed ? text.isWellFormed() : !/\p{Cs}/u.test(text)) {
        return new TextEncoder().encode(text);
    }
    const bytes = [];
    for (const character of text) {
        const c = character.codePointAt(0);
        if (c < 0x80) {
            bytes.push(c);
        } else if (c < 0x800) {
            bytes.push(0xc0 | (c >> 6), 0x80 | (c & 0x3f));
        } else if (c < 0x10000) {
            bytes.push(0xe0 | (c >> 12), 0x80 | ((c >> 6) & 0x3f), 0x80 | (c & 0x3f));
        } else {
            bytes.push(0xf0 | (c >> 18), 0x80 | ((c >> 12) & 0x3f), 0x80 | ((c >> 6) & 0x3f),
                0x80 | (c & 0x3f));
        }
    }
    return new Uint8Array(bytes);
}

self.onmessage = async ({data}) => {
    const core = await ready;
    let reply = {status: -1};
    try {
        const input = utf8Of(data.input);
        let shown = 0;
        const started = performance.now();
        const result = core.runTool(['--to', data.to], input, (read, size) => {
            if (read - shown >= size / 100) {
                shown = read;
                self.postMessage({progress: read / size});
            }
        });
        const converted = performance.now() - started;
        if (result.status >= 0) {
            const decoder = new TextDecoder();
            reply = {status: result.status, output: decoder.decode(result.output),
                errors: decoder.decode(result.errors), converted};
        }
    } catch {
        // memory ran out outside the tool: reported as inside it
    }
    self.postMessage(reply);
};
