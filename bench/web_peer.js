// The web page's peer: thunder links to http addresses in plain JavaScript, as a converter
// page would write it with the browser's own atob and TextDecoder. The body is read as
// UTF-8 where it is that, otherwise as GBK. One address a line, as orvanthe-link --to http.
function thunderToHttp(text) {
    const utf8 = new TextDecoder('utf-8', {fatal: true});
    const gbk = new TextDecoder('gbk');
    const out = [];
    for (const line of text.split('\n')) {
        if (!line) {
            continue;
        }
        const binary = atob(line.slice('thunder://'.length));
        const bytes = new Uint8Array(binary.length - 4);
        for (let k = 0; k < bytes.length; ++k) {
            bytes[k] = binary.charCodeAt(k + 2);
        }
        let address;
        try {
            address = utf8.decode(bytes);
        } catch {
            address = gbk.decode(bytes);
        }
        out.push(address);
    }
    return out.join('\n') + '\n';
}
