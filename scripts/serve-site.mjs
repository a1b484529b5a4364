// Serves a folder of static files, such as the web page's build-web/site/, on 127.0.0.1
// alone: nothing beyond this machine can reach it.
//   node scripts/serve-site.mjs FOLDER PORT
import {readFile} from 'node:fs/promises';
import http from 'node:http';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

const types = {'.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8', '.wasm': 'application/wasm', '.png': 'image/png',
    '.webmanifest': 'application/manifest+json', '.txt': 'text/plain; charset=utf-8'};

// The server of `folder` at `port` (0: any free one), once it listens.
export async function serveSite(folder, port) {
    const root = path.resolve(folder);
    const server = http.createServer(async (request, response) => {
        const name = decodeURIComponent(new URL(request.url, 'http://host').pathname);
        const file = path.join(root, path.normalize(name.endsWith('/') ? `${name}index.html` : name));
        try {
            if (!file.startsWith(root + path.sep) || !['GET', 'HEAD'].includes(request.method)) {
                throw new Error('not served');
            }
            const body = await readFile(file);
            response.writeHead(200, {'Content-Type': types[path.extname(file)] ?? 'application/octet-stream',
                'Cache-Control': 'no-cache'});
            response.end(request.method === 'HEAD' ? undefined : body);
        } catch {
            response.writeHead(404, {'Content-Type': 'text/plain'}).end('Not found\n');
        }
    });
    await new Promise((resolve, reject) => {
        server.once('error', reject);
        server.listen(port, '127.0.0.1', resolve);
    });
    return server;
}

// Debian's chromium, headless, for the page's test and benchmark: kept to this machine, for
// even headless it calls outside hosts by default. `puppeteer` is puppeteer-core, which the
// server itself does not need.
export function launchChromium(puppeteer) {
    return puppeteer.launch({
        executablePath: '/usr/bin/chromium', headless: true,
        args: ['--no-sandbox', '--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1',
            '--disable-background-networking', '--disable-component-update'],
    });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
    const [folder, port] = process.argv.slice(2);
    const server = await serveSite(folder, Number(port));
    console.log(`Orvanthe's page: http://127.0.0.1:${server.address().port}/ (Ctrl+C stops it)`);
}
