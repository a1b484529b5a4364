// The page: the window's rows and buttons over the form logic compiled to WebAssembly, and a
// batch box over the command-line tool's logic, run in a Worker.
import createOrvanthe from './orvanthe.js';

const $ = (id) => document.getElementById(id);
const outOfMemory = '内存不足，未能完成：各栏均保持原样。';

// A field's text as UTF-16 units and back, lone surrogates and NULs kept.
function unitsOf(text) {
    const units = new Uint16Array(text.length);
    for (let k = 0; k < text.length; ++k) {
        units[k] = text.charCodeAt(k);
    }
    return units;
}
function textOf(units) {
    let text = '';
    for (let k = 0; k < units.length; k += 8192) {
        text += String.fromCharCode.apply(null, units.subarray(k, k + 8192));
    }
    return text;
}

// What the address after "#" holds: the browser writes characters beyond ASCII there as
// percent-escapes of their UTF-8 bytes, which are read back; escapes of ASCII stay as they are,
// as an address may hold them itself.
function openedText(hash) {
    return hash.replace(/(?:%[89A-Fa-f][0-9A-Fa-f])+/g, (escaped) => {
        try {
            return decodeURIComponent(escaped);
        } catch {
            return escaped;
        }
    });
}

const core = await createOrvanthe();
const form = new core.Page();
const fieldEdits = [];
const shown = [];

function say(text) {
    $('status').textContent = text;
}

// Shows each field that the form wrote since it was last shown, from its beginning.
function showChangedFields() {
    fieldEdits.forEach((edit, field) => {
        const revision = form.revision(field);
        if (revision !== shown[field]) {
            edit.value = textOf(form.text(field));
            edit.setSelectionRange(0, 0);
            shown[field] = revision;
        }
    });
}

function run(command, clipboard = null) {
    let done = false;
    try {
        done = form.run(command, clipboard === null ? null : unitsOf(clipboard));
    } catch {
        // a text too large for the browser's memory before it reached the form
    }
    showChangedFields();
    if (!done) {
        say(outOfMemory);
    }
    return done;
}

async function paste(command) {
    let text;
    try {
        text = await navigator.clipboard.readText();
    } catch (error) {
        say(error instanceof RangeError ? outOfMemory
            : '浏览器不允许本页读取剪贴板：请点进栏中按 Ctrl+V 粘贴，再按下面对应的转换按钮。');
        return;
    }
    if (run(command, text)) {
        say('');
    }
}

async function copy(command) {
    if (!run(command)) {
        return;
    }
    try {
        await navigator.clipboard.writeText(textOf(form.copied()));
        say('已复制。');
    } catch {
        say('浏览器不允许本页写入剪贴板：请选中栏中文字，按 Ctrl+C 复制。');
    }
}

// The rows and buttons, named, captioned and explained as the control table says.
function buildControls() {
    const controls = core.controls();
    const byName = new Map(controls.map((control) => [control.name, control]));
    const help = (element, control) => {
        const text = textOf(control.help);
        element.title = text;
        element.setAttribute('aria-label', text);
    };
    const button = (control) => {
        const element = document.createElement('button');
        element.type = 'button';
        element.id = control.name;
        element.textContent = textOf(control.caption);
        help(element, control);
        const command = control.command;
        // The commands 2k and 2k + 1 paste into and copy the field k; the rest convert.
        const action = command >= 8 ? run : command % 2 === 0 ? paste : copy;
        element.addEventListener('click', () => action(command));
        return element;
    };
    const labels = controls.filter((control) => control.label);
    labels.sort((a, b) => byName.get(a.label).field - byName.get(b.label).field);
    for (const label of labels) {
        const fieldControl = byName.get(label.label);
        const field = fieldControl.field;
        const row = document.createElement('div');
        row.className = 'row';
        const caption = document.createElement('label');
        caption.id = label.name;
        caption.htmlFor = fieldControl.name;
        caption.textContent = textOf(label.caption);
        const edit = document.createElement('input');
        edit.id = fieldControl.name;
        edit.type = 'text';
        edit.spellcheck = false;
        edit.autocomplete = 'off';
        edit.title = textOf(fieldControl.help);
        edit.addEventListener('input', () => {
            if (!form.setText(field, unitsOf(edit.value))) {
                say(outOfMemory);
            }
            shown[field] = form.revision(field);
        });
        fieldEdits[field] = edit;
        row.append(caption, edit);
        for (const command of [2 * field, 2 * field + 1]) {
            row.append(button(controls.find((control) => control.command === command)));
        }
        $('rows').append(row);
    }
    // The convert buttons in the window's tab order, which is theirs from left to right.
    const converts = controls.filter((control) => control.command >= 8);
    converts.sort((a, b) => a.tabIndex - b.tabIndex);
    $('converts').append(...converts.map(button));
}

// Shows `text` in the output `view` in blocks of 1000 lines, which the browser lays out only
// when they come into sight.
function showLines(view, text) {
    const blocks = [];
    for (let at = 0; at < text.length;) {
        let end = at;
        for (let n = 0; n < 1000 && end < text.length; ++n) {
            end = text.indexOf('\n', end) + 1 || text.length;
        }
        const block = document.createElement('span');
        block.textContent = text.slice(at, end);
        blocks.push(block);
        at = end;
    }
    view.replaceChildren(...blocks);
}

// The batch box: its results follow its text and the chosen form, converted in the Worker;
// an input that arrives while one is converted waits for it, and only the newest is run.
function startBatches() {
    const worker = new Worker('batch_worker.js', {type: 'module'});
    let running = false;
    let waiting = false;
    let results = '';
    const post = () => {
        waiting = false;
        running = true;
        $('progress').value = 0;
        $('progress').hidden = false;
        $('batch-status').textContent = '正在转换……';
        worker.postMessage({input: $('batch').value, to: $('to').value});
    };
    const convert = () => (running ? (waiting = true) : post());
    worker.onmessage = ({data}) => {
        if (data.progress !== undefined) {
            $('progress').value = data.progress;
            return;
        }
        running = false;
        if (waiting) {
            post();
            return;
        }
        $('progress').hidden = true;
        results = data.status < 0 ? '' : data.output;
        showLines($('results'), results);
        showLines($('messages'), data.status < 0 ? '' : data.errors);
        $('batch-status').textContent = data.status < 0 ? outOfMemory : '';
        document.dispatchEvent(new CustomEvent('orvanthe-batch', {detail: data}));
    };
    $('batch').addEventListener('input', convert);
    $('to').addEventListener('change', convert);

    $('copy-results').addEventListener('click', async () => {
        try {
            await navigator.clipboard.writeText(results);
            $('batch-status').textContent = '已复制全部结果。';
        } catch {
            $('batch-status').textContent = '浏览器不允许本页写入剪贴板：请在结果中按 Ctrl+A、Ctrl+C。';
        }
    });
    $('save-results').addEventListener('click', () => {
        const link = document.createElement('a');
        link.href = URL.createObjectURL(new Blob([results], {type: 'text/plain;charset=utf-8'}));
        link.download = 'orvanthe.txt';
        link.click();
        setTimeout(() => URL.revokeObjectURL(link.href), 0);
    });

    // A text file, UTF-8 or UTF-16 with its byte-order mark, into the batch box.
    const load = async (file) => {
        try {
            const bytes = new Uint8Array(await file.arrayBuffer());
            const encoding = bytes[0] === 0xff && bytes[1] === 0xfe ? 'utf-16le'
                : bytes[0] === 0xfe && bytes[1] === 0xff ? 'utf-16be' : 'utf-8';
            $('batch').value = new TextDecoder(encoding).decode(bytes);
        } catch {
            $('batch-status').textContent = '文件太大，无法读入。';
            return;
        }
        convert();
    };
    $('file').addEventListener('change', () => $('file').files[0] && load($('file').files[0]));
    document.addEventListener('dragover', (event) => event.preventDefault());
    document.addEventListener('drop', (event) => {
        event.preventDefault();
        const file = event.dataTransfer.files[0];
        if (file) {
            load(file);
        }
    });
}

buildControls();
startBatches();
if (location.hash.length > 1) {
    const text = openedText(location.hash.slice(1));
    const field = core.fieldOfInput(unitsOf(text));
    if (field < 0) {
        say(outOfMemory);
    } else {
        run(2 * field, text); // the paste command of its field
    }
}
performance.mark('orvanthe-ready');
if ('serviceWorker' in navigator) {
    navigator.serviceWorker.register('service_worker.js').catch(() => {});
}
