// Starts `vrel-host --serve` on a port the system picks, for the browser
// test and the benchmark: its first line says where it serves.
import { spawn } from 'node:child_process';

// { child, ended (a promise of { code, signal }), url }; stderr shown unless `quiet`.
export async function startServing(host, args, { quiet = false } = {}) {
  const child = spawn(host, ['--serve', '--port', '0', ...args], { stdio: ['ignore', 'pipe', quiet ? 'ignore' : 'inherit'] });
  const ended = new Promise((resolve) => child.on('exit', (code, signal) => resolve({ code, signal })));
  const url = await new Promise((resolve, reject) => {
    let seen = '';
    child.stdout.on('data', (chunk) => {
      seen += chunk;
      const m = /the panels are at (http:\/\/127\.0\.0\.1:\d+\/)/.exec(seen);
      if (m) resolve(m[1]);
    });
    child.on('exit', () => reject(new Error('vrel-host --serve ended before serving: ' + seen)));
    setTimeout(() => reject(new Error('vrel-host --serve did not say where it serves')), 60000);
  });
  return { child, ended, url };
}
